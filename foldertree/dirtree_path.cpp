// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// DirTree's path API: the chosen folder as a native path, read and set, and the native
// path of any node.
#include "DirTree/dirtree.h"

#include "DirTree/drivesystem.h"
#include "dirtreeprivate.h"
#include "dirtreeview.h"
#include "treetext.h"

#include <QPointer>

namespace Cantorel {

QString DirTree::currentPath() const
{
    return TreeText::exactText(d->m_settledPath).value_or(QString());
}

bool DirTree::setCurrentPath(const QString& nativePath)
{
    return d->openPath(nativePath.toUtf8());
}

QString DirTree::nativePath(const QTreeWidgetItem* node) const
{
    return TreeText::exactText(nativePathBytes(node)).value_or(QString());
}

QByteArray DirTree::nativePathBytes(const QTreeWidgetItem* node) const
{
    return d->isNode(node) ? d->nativeFolderBytes(node) : QByteArray();
}

QTreeWidgetItem* DirTreePrivate::childNamed(const QTreeWidgetItem* parent, const QByteArray& name) const
{
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->data(0, DirTree::NameRole).toByteArray() == name)
            return parent->child(i);
    }
    return nullptr;
}

// The drive node whose root starts `path` (the longest such root: "/media/usb/" before
// "/"), and the names below it. nullopt when no drive holds the path or a name is "." or
// "..", which no node has.
std::optional<std::pair<QTreeWidgetItem*, std::vector<QByteArray>>> DirTreePrivate::splitPath(const QByteArray& path) const
{
    const char separator = m_drives->separator();
    QByteArray folder = path;
    if (!folder.endsWith(separator))
        folder += separator;
    // Drive letters are not case-sensitive where "\" separates names.
    const auto startsWithRoot = [&](const QByteArray& root) {
        if (root.isEmpty() || folder.size() < root.size())
            return false;
        return separator == '\\' ? qstrnicmp(folder.constData(), root.constData(), root.size()) == 0
                                 : folder.startsWith(root);
    };
    QTreeWidgetItem* drive = nullptr;
    qsizetype rootLength = 0;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_tree->topLevelItem(i);
        const QByteArray root = item->data(0, DirTree::NameRole).toByteArray();
        if (startsWithRoot(root) && root.size() > rootLength) {
            drive = item;
            rootLength = root.size();
        }
    }
    if (!drive)
        return std::nullopt;
    std::vector<QByteArray> names;
    for (const QByteArray& name : folder.mid(rootLength).split(separator)) {
        if (name.isEmpty())
            continue;
        if (name == "." || name == "..")
            return std::nullopt;
        names.push_back(name);
    }
    return std::make_pair(drive, std::move(names));
}

bool DirTreePrivate::holdsFolder(const std::string& folder, const QByteArray& name) const
{
    const std::unique_ptr<FolderEnumeration> entries = m_drives->enumerate(folder);
    if (!entries)
        return false;
    const std::string wanted = name.toStdString();
    std::string entry;
    while (entries->next(entry) == FolderEnumeration::Step::Entry) {
        if (entry == wanted)
            return isFolderEntry(*entries, folder, entry);
    }
    return false;
}

// Checks the whole way first, so that a path that cannot be reached leaves the tree as it
// was: through the nodes listed already, then on disk. Then opens every node on the way
// (each child of an opened node listed one level ahead, as an expansion lists it, but
// with no Click) and makes the folder current with one Click.
bool DirTreePrivate::openPath(const QByteArray& path)
{
    if (path.isEmpty())
        return false;
    if (m_tree->topLevelItemCount() == 0)
        ListDrives();
    const auto split = splitPath(path);
    if (!split)
        return false;
    QTreeWidgetItem* const drive = split->first;
    const std::vector<QByteArray>& names = split->second;

    QTreeWidgetItem* listed = drive;
    std::string folder = nativeFolder(drive);
    bool onDisk = false;
    for (const QByteArray& name : names) {
        if (!onDisk && listed->childCount() > 0) {
            listed = childNamed(listed, name);
            if (!listed)
                return false;
            folder = nativeFolder(listed);
            continue;
        }
        onDisk = true;
        if (!holdsFolder(folder, name))
            return false;
        folder += name.toStdString() + m_drives->separator();
    }

    const DirTreeView::Busy busy(m_tree);
    beginHandling();
    m_tree->deferLayout();
    QTreeWidgetItem* node = drive;
    m_opening = true;
    for (const QByteArray& name : names) {
        if (node->childCount() == 0)
            ListSubfolders(nativeFolder(node), node);
        if (!node->isExpanded()) {
            for (int i = 0; i < node->childCount(); ++i) {
                QTreeWidgetItem* child = node->child(i);
                if (child->childCount() == 0)
                    ListSubfolders(nativeFolder(child), child);
            }
            node->setExpanded(true);
            countRows(node);
        }
        // Gone between the check and now only if the disk changed meanwhile.
        node = childNamed(node, name);
        if (!node)
            break;
    }
    m_opening = false;
    if (!node) {
        (void)endHandling();
        return false;
    }
    m_tree->setCurrentItem(node);
    m_tree->scrollToItem(node);
    // A handler may delete the control: the folder was made current all the same.
    if (NodeClick(node))
        (void)endHandling();
    return true;
}

} // namespace Cantorel
