// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// DirTree's expansions: a node opened by the mouse, a key or the host, and '*'.
#include "DirTree/dirtree.h"

#include "dirtreeprivate.h"
#include "dirtreeview.h"
#include "treenode.h"

#include <QPointer>

#include <algorithm>
#include <utility>
#include <vector>

namespace Cantorel {

bool DirTreePrivate::Expand(QTreeWidgetItem* node)
{
    beginHandling();
    // The range is fixed now; the children's own listings add nodes beyond it.
    const int childCount = node->childCount();
    Expansion job;
    job.node = refOf(node);
    job.next = childCount ? node->child(0)->data(0, DirTree::IndexRole).toInt() : 1;
    job.last = childCount ? node->child(childCount - 1)->data(0, DirTree::IndexRole).toInt() : 0;
    if (const auto held = m_held.find(job.node.index); held != m_held.end())
        job.last = held->second.nodes.back()->data(0, DirTree::IndexRole).toInt();
    job.asked = job.next - 1;
    for (const QTreeWidgetItem* n = node; n; n = n->parent())
        ++job.depth;
    // The children are on view now; their own children are laid out in one go, after.
    m_tree->deferLayout();
    // An expansion a Click handler causes amid another one's batch runs whole, within it.
    const bool batched = !m_expansion && (m_starExpanding || !m_inBatch);
    m_starExpanding = false;
    if (!batched) {
        if (!reportChildren(job, -1))
            return false;
        return finishExpansion(job);
    }
    m_expansion = job;
    return runExpansion();
}

bool DirTreePrivate::reportChildren(Expansion& job, int limit)
{
    // The children's listings are asked for a window ahead of their Clicks.
    constexpr int kAhead = 64;
    constexpr int kMostAddedAtOnce = 1 << 17;
    for (int done = 0; job.next <= job.last && (limit < 0 || done < limit); ++done) {
        // A refresh took the remaining nodes; Esc stops the batches of '*'.
        if (m_generation != job.node.generation || (limit >= 0 && m_stopStar))
            break;
        const int index = job.next++;
        // Held children join the view ahead of their Clicks and listings, as many at a
        // time as are on view already: the view's layout of every open row after each
        // addition then costs twice the rows in all, not their square.
        if (const std::optional<int> held = firstHeld(job.node.index); held && index + kAhead >= *held) {
            QTreeWidgetItem* parent = node(job.node.index);
            addHeld(parent, std::min(std::max(parent->childCount(), m_batchSize + kAhead), kMostAddedAtOnce));
        }
        for (; job.asked < job.last && job.asked < index + kAhead; ++job.asked) {
            if (QTreeWidgetItem* child = node(job.asked + 1); child && child->childCount() == 0)
                askForListing(child);
        }
        if (QTreeWidgetItem* child = node(index)) {
            countRow(child, job.depth);
            if (!NodeClick(child))
                return false;
        }
    }
    return true;
}

bool DirTreePrivate::runExpansion()
{
    const bool wasInBatch = std::exchange(m_inBatch, true);
    // A copy: only this function changes m_expansion, and a handler may run anything.
    Expansion job = *m_expansion;
    // The first batch is a short one: its rows are painted before the next.
    constexpr int kFirstBatch = 128;
    const bool first = job.asked < job.next;
    if (!reportChildren(job, first ? std::min(m_batchSize, kFirstBatch) : m_batchSize))
        return false;
    m_inBatch = wasInBatch;
    const bool cut = m_generation != job.node.generation || m_stopStar;
    if (job.next <= job.last && !cut) {
        *m_expansion = job;
        // Filled in from the event loop, and read so meanwhile.
        if (QTreeWidgetItem* node = resolve(job.node);
            node && static_cast<TreeNode*>(node)->state() == TreeNode::Ready)
            markNode(node, TreeNode::Reading);
        applyColumnWidth();
        postBatch();
        return true;
    }
    m_expansion.reset();
    m_inBatch = true;
    if (!finishExpansion(job))
        return false;
    m_inBatch = wasInBatch;
    return true;
}

bool DirTreePrivate::finishExpansion(const Expansion& job)
{
    // A Click handler that refreshed the tree took the remaining nodes with it: the
    // expansion never settled, so none of its children is left current.
    if (m_generation != job.node.generation) {
        m_candidatePath = m_settledPath;
        return endHandling();
    }
    QTreeWidgetItem* node = resolve(job.node);
    if (!node)
        return endHandling();
    if (static_cast<TreeNode*>(node)->state() == TreeNode::Reading && !m_listingsOut.count(job.node.index))
        markNode(node, TreeNode::Ready);
    if (job.next <= job.last) {
        // Stopped: the rows not reported are on view all the same.
        addHeld(node, -1);
        for (int index = job.next; index <= job.last; ++index) {
            if (const QTreeWidgetItem* child = this->node(index))
                countRow(child, job.depth);
        }
        return endHandling();
    }
    if (!NodeClick(node))
        return false;
    if (m_generation == job.node.generation && !m_batch) {
        // Making a node current may open its parents, and a handler may run then.
        const QPointer<DirTree> alive(q);
        m_tree->setCurrentItem(node);
        if (!alive)
            return false;
    }
    if (m_star && job.node.index == m_star->top.index && job.node.generation == m_star->top.generation)
        m_star->topReported = true;
    return endHandling();
}

void DirTreePrivate::postBatch()
{
    // Dropped with the control; a refresh meanwhile is seen by the batch.
    QMetaObject::invokeMethod(
        q, [this] { (void)resumeBatches(); }, Qt::QueuedConnection);
}

bool DirTreePrivate::resumeBatches()
{
    if (!m_expansion && !m_star)
        return true;
    // Code of the view is on the stack (a nested event loop of the host's): the batch
    // waits until the view has returned, as the handlings it raises do.
    if (m_tree->inEvent()) {
        m_resumeAfterEvent = true;
        return true;
    }
    if (m_inBatch) {
        postBatch();
        return true;
    }
    const DirTreeView::Busy busy(m_tree);
    if (m_expansion && !runExpansion())
        return false;
    if (!m_expansion && m_star && !runStar())
        return false;
    if (!m_expansion && !m_star) {
        if (!runPending())
            return false;
        releaseRemovedNodes();
    }
    return true;
}

// Expands `top` and every node below it that is listed now, each node after the nodes
// below it, so that the last Click reports `top` and leaves it current. The nodes are
// chosen before the first expansion, so the look-ahead listings it causes are shown by
// the next '*' at the earliest: one level per press, however deep the drive. No node but
// `top` is made current meanwhile: that would open the nodes above it first, and their
// expansions would report them amid their children. A wide node is filled in by batches
// and '*' goes on after its last; Esc stops it there, and `top`'s Click ends it.
bool DirTreePrivate::expandListed(QTreeWidgetItem* top)
{
    // One expansion is filled in at a time.
    if (m_expansion || m_star)
        return true;
    Star star;
    std::vector<QTreeWidgetItem*> stack {top};
    while (!stack.empty()) {
        QTreeWidgetItem* item = stack.back();
        stack.pop_back();
        if (item->childCount() == 0)
            continue;
        star.nodes.push_back(refOf(item));
        for (int i = 0; i < item->childCount(); ++i)
            stack.push_back(item->child(i));
    }
    std::reverse(star.nodes.begin(), star.nodes.end());
    star.top = refOf(top);
    beginHandling();
    m_batch = true;
    m_stopStar = false;
    m_star = std::move(star);
    return runStar();
}

bool DirTreePrivate::runStar()
{
    const QPointer<DirTree> alive(q);
    const bool wasInBatch = std::exchange(m_inBatch, true);
    // Only this function changes or ends m_star.
    Star& star = *m_star;
    // The listings of the children of the next few nodes are asked for ahead, so the
    // reader works while the control's thread expands.
    constexpr std::size_t kAhead = 16;
    while (star.next < star.nodes.size() && !m_stopStar) {
        for (const std::size_t upTo = std::min(star.nodes.size(), star.next + kAhead); star.asked < upTo;
             ++star.asked) {
            QTreeWidgetItem* ahead = resolve(star.nodes[star.asked]);
            for (int i = 0; ahead && !ahead->isExpanded() && i < ahead->childCount(); ++i) {
                if (ahead->child(i)->childCount() == 0)
                    askForListing(ahead->child(i));
            }
        }
        // Resolves to nothing once a Click handler has refreshed the tree.
        QTreeWidgetItem* item = resolve(star.nodes[star.next++]);
        if (!item)
            break;
        if (!item->isExpanded()) {
            // A Click handler may have had the rows laid out meanwhile.
            m_tree->deferLayout();
            m_starExpanding = true;
            item->setExpanded(true);
            if (!alive)
                return false;
            m_starExpanding = false;
            // Filled in by batches: '*' goes on after the last.
            if (m_expansion) {
                m_inBatch = wasInBatch;
                return true;
            }
        }
    }
    const Star done = std::move(star);
    m_star.reset();
    m_stopStar = false;
    m_batch = false;
    if (QTreeWidgetItem* item = resolve(done.top)) {
        m_tree->setCurrentItem(item);
        if (!alive)
            return false;
        // An open node was not expanded again, or Esc stopped its expansion: it is
        // reported here instead.
        if (!done.topReported && !NodeClick(item))
            return false;
    }
    m_inBatch = wasInBatch;
    return endHandling();
}

} // namespace Cantorel
