// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "treenode.h"

#include "treetext.h"

#include "DirTree/dirtree.h"

#include <QCoreApplication>

#include <vector>

namespace Cantorel {

TreeNode::TreeNode(QString text, QIcon icon, char separator, Roles roles)
    : m_text(std::move(text)), m_icon(std::move(icon)), m_roles(std::move(roles)), m_separator(separator)
{ }

void TreeNode::setNodeText(const QString& text)
{
    m_text = text;
    emitDataChanged();
}

QByteArray TreeNode::nativePath() const
{
    std::vector<const QTreeWidgetItem*> chain;
    for (const QTreeWidgetItem* n = this; n; n = n->parent())
        chain.push_back(n);
    // Every node of the tree is a TreeNode.
    QByteArray path = static_cast<const TreeNode*>(chain.back())->m_roles.name;
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it)
        path += static_cast<const TreeNode*>(*it)->m_roles.name + m_separator;
    return path;
}

void TreeNode::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emitDataChanged();
}

namespace {

QString stateText(TreeNode::State state)
{
    switch (state) {
    case TreeNode::Reading: return QCoreApplication::translate("Cantorel::DirTree", "Being read");
    case TreeNode::NotAnswering: return QCoreApplication::translate("Cantorel::DirTree", "Not answering");
    case TreeNode::Ready: break;
    }
    return {};
}

} // namespace

QVariant TreeNode::data(int column, int role) const
{
    if (column != 0)
        return QTreeWidgetItem::data(column, role);
    switch (role) {
    case Qt::DisplayRole: return m_text;
    case Qt::DecorationRole: return m_icon;
    case DirTree::KeyRole: return m_roles.key;
    case DirTree::ImageRole: return m_roles.image;
    case DirTree::SelectedImageRole: return m_roles.selectedImage;
    case DirTree::IndexRole: return m_roles.index;
    case DirTree::NameRole: return m_roles.name;
    case Qt::AccessibleDescriptionRole:
        if (m_state != Ready)
            return stateText(m_state);
        return QTreeWidgetItem::data(column, role);
    case Qt::ToolTipRole: break;
    default: return QTreeWidgetItem::data(column, role);
    }
    const QString name = parent() ? TreeText::displayName(m_roles.name) : text(0);
    QString tip = name + u'\n' + TreeText::displayPath(nativePath(), m_separator);
    if (m_state != Ready)
        tip += u'\n' + stateText(m_state);
    return tip;
}

} // namespace Cantorel
