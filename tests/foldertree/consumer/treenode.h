// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QTreeWidgetItem>

// The host's own node class, under the name the library uses inside: both must live
// side by side in one program.
class TreeNode : public QTreeWidgetItem
{
public:
    explicit TreeNode(int weight) : m_weight(weight) { }
    QVariant data(int column, int role) const override
    {
        return role == Qt::UserRole ? QVariant(m_weight) : QTreeWidgetItem::data(column, role);
    }

private:
    int m_weight;
};
