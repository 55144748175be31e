// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "treenode.h"

#include "treetext.h"

#include <QCoreApplication>

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
    if (column == 0 && role == Qt::AccessibleDescriptionRole && m_state != Ready)
        return stateText(m_state);
    if (column != 0 || role != Qt::ToolTipRole)
        return QTreeWidgetItem::data(column, role);
    const QString name = parent() ? TreeText::displayName(data(0, m_nameRole).toByteArray()) : text(0);
    QString tip = name + u'\n' + TreeText::displayPath(nativePath(), m_separator);
    if (m_state != Ready)
        tip += u'\n' + stateText(m_state);
    return tip;
}

} // namespace Cantorel
