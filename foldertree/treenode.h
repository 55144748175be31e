// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QIcon>
#include <QTreeWidgetItem>

namespace Cantorel {

// A node of the folder tree. Its text, its picture and the roles of DirTree::NodeRole are
// members, answered by data() rather than stored as a variant each (a listing may add a
// million nodes), and its tooltip (the name as on disk and the native path, on two lines)
// is made when asked for.
class TreeNode : public QTreeWidgetItem
{
public:
    struct Roles {
        QString key;           // DirTree::KeyRole
        QString image;         // DirTree::ImageRole
        QString selectedImage; // DirTree::SelectedImageRole
        QByteArray name; // DirTree::NameRole: a drive's root (separator included), a folder's name on disk
        int index = 0;   // DirTree::IndexRole
    };

    TreeNode(QString text, QIcon icon, char separator, Roles roles);

    // Changes the text, as setText() would.
    void setNodeText(const QString& text);

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
    QString m_text;
    QIcon m_icon;
    Roles m_roles;
    char m_separator;
};

} // namespace Cantorel
