// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// DirTree's expansions: a node opened by the mouse, a key or the host, and '*'.
#include "DirTree/dirtree.h"

#include "dirtreeprivate.h"
#include "dirtreeview.h"

#include <QPointer>

#include <algorithm>
#include <vector>

namespace Cantorel {

bool DirTreePrivate::Expand(QTreeWidgetItem* node)
{
    beginHandling();
    const quint64 generation = m_generation;
    // The range is fixed now; the children's own listings add nodes beyond it.
    const int childCount = node->childCount();
    const int first = childCount ? node->child(0)->data(0, DirTree::IndexRole).toInt() : 1;
    const int last = childCount ? node->child(childCount - 1)->data(0, DirTree::IndexRole).toInt() : 0;
    // The children are on view now; their own children are laid out in one go, after.
    m_tree->deferLayout();
    countRows(node);
    // The children's listings are asked for a window ahead of their Clicks.
    constexpr int kAhead = 64;
    int asked = first - 1;
    for (int index = first; index <= last; ++index) {
        for (; asked < last && asked < index + kAhead; ++asked) {
            if (QTreeWidgetItem* child = this->node(asked + 1); child && child->childCount() == 0)
                askForListing(child);
        }
        if (QTreeWidgetItem* child = this->node(index)) {
            if (!NodeClick(child))
                return false;
        }
        // A Click handler that refreshed the tree took the remaining nodes with it: the
        // expansion never settled, so none of its children is left current.
        if (m_generation != generation) {
            m_candidatePath = m_settledPath;
            return endHandling();
        }
    }
    if (!NodeClick(node))
        return false;
    if (m_generation == generation && !m_batch) {
        // Making a node current may open its parents, and a handler may run then.
        const QPointer<DirTree> alive(q);
        m_tree->setCurrentItem(node);
        if (!alive)
            return false;
    }
    return endHandling();
}

// Expands `top` and every node below it that is listed now, each node after the nodes
// below it, so that the last Click reports `top` and leaves it current. The nodes are
// chosen before the first expansion, so the look-ahead listings it causes are shown by
// the next '*' at the earliest: one level per press, however deep the drive. No node but
// `top` is made current meanwhile: that would open the nodes above it first, and their
// expansions would report them amid their children.
bool DirTreePrivate::expandListed(QTreeWidgetItem* top)
{
    std::vector<NodeRef> nodes;
    std::vector<QTreeWidgetItem*> stack {top};
    while (!stack.empty()) {
        QTreeWidgetItem* item = stack.back();
        stack.pop_back();
        if (item->childCount() == 0)
            continue;
        nodes.push_back(refOf(item));
        for (int i = 0; i < item->childCount(); ++i)
            stack.push_back(item->child(i));
    }
    const NodeRef topRef = refOf(top);
    const QPointer<DirTree> alive(q);
    beginHandling();
    m_batch = true;
    bool topExpanded = false;
    // The listings of the children of the next few nodes are asked for ahead, so the
    // reader works while the control's thread expands.
    constexpr std::size_t kAhead = 16;
    std::size_t asked = 0;
    for (auto ref = nodes.rbegin(); ref != nodes.rend(); ++ref) {
        for (const std::size_t upTo = std::min(nodes.size(), std::size_t(ref - nodes.rbegin()) + kAhead);
             asked < upTo; ++asked) {
            QTreeWidgetItem* ahead = resolve(nodes.rbegin()[std::ptrdiff_t(asked)]);
            for (int i = 0; ahead && !ahead->isExpanded() && i < ahead->childCount(); ++i) {
                if (ahead->child(i)->childCount() == 0)
                    askForListing(ahead->child(i));
            }
        }
        // Resolves to nothing once a Click handler has refreshed the tree.
        QTreeWidgetItem* item = resolve(*ref);
        if (!item)
            break;
        if (!item->isExpanded()) {
            // A Click handler may have had the rows laid out meanwhile.
            m_tree->deferLayout();
            item->setExpanded(true);
            if (!alive)
                return false;
            if (ref->index == topRef.index)
                topExpanded = true;
        }
    }
    m_batch = false;
    if (QTreeWidgetItem* item = resolve(topRef)) {
        m_tree->setCurrentItem(item);
        if (!alive)
            return false;
        // An open node was not expanded again: it is reported here instead.
        if (!topExpanded && !NodeClick(item))
            return false;
    }
    return endHandling();
}

} // namespace Cantorel
