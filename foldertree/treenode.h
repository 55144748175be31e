// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QTreeWidgetItem>

namespace Cantorel {

// A node of the folder tree: its data is that of a QTreeWidgetItem, and its tooltip (the
// name as on disk and the native path, on two lines) is made when asked for rather than
// for each of the thousands of nodes a listing may add.
class TreeNode : public QTreeWidgetItem
{
public:
    // `nameRole` is the role that holds the native name: a drive's root (separator
    // included) on a top-level node, a folder's name on disk below it.
    TreeNode(const QString& text, int nameRole, char separator);

    // The native path of the folder: the drive's root, then each name below it followed
    // by the separator.
    QByteArray nativePath() const;

    QVariant data(int column, int role) const override;

    // Whether a read of the node is out, as its tooltip and accessible description say.
    enum State { Ready, Reading, NotAnswering };
    void setState(State state);
    State state() const { return m_state; }

private:
    State m_state = Ready;
    int m_nameRole;
    char m_separator;
};

} // namespace Cantorel
