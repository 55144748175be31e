// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "treenode.h"

#include "treetext.h"

#include <vector>

namespace Cantorel {

TreeNode::TreeNode(const QString& text, int nameRole, char separator)
    : QTreeWidgetItem(QStringList{text}), m_nameRole(nameRole), m_separator(separator)
{
}

QByteArray TreeNode::nativePath() const
{
    std::vector<const QTreeWidgetItem*> chain;
    for (const QTreeWidgetItem* n = this; n; n = n->parent())
        chain.push_back(n);
    QByteArray path = chain.back()->data(0, m_nameRole).toByteArray();
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it)
        path += (*it)->data(0, m_nameRole).toByteArray() + m_separator;
    return path;
}

QVariant TreeNode::data(int column, int role) const
{
    if (column != 0 || role != Qt::ToolTipRole)
        return QTreeWidgetItem::data(column, role);
    const QString name = parent() ? TreeText::displayName(data(0, m_nameRole).toByteArray()) : text(0);
    return QString(name + u'\n' + TreeText::displayPath(nativePath(), m_separator));
}

} // namespace Cantorel
