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

using namespace Qt::Literals::StringLiterals;

namespace Cantorel {

QString DirTree::currentPath() const { return d->displayPath(d->m_settledPath); }

QByteArray DirTree::currentPathBytes() const { return d->m_settledPath; }

bool DirTree::setCurrentPath(const QString& nativePath) { return d->openPath(nativePath.toUtf8()); }

bool DirTree::setCurrentPathBytes(const QByteArray& nativePath) { return d->openPath(nativePath); }

// The text of a native path: exact where it is UTF-8, else as the tree shows its names.
QString DirTreePrivate::displayPath(const QByteArray& path) const
{
    return TreeText::exactText(path).value_or(TreeText::displayPath(path, m_separator));
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

QTreeWidgetItem* DirTreePrivate::driveHolding(const QByteArray& folder) const
{
    const char separator = m_separator;
    // Drive letters are not case-sensitive where "\\" separates names.
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
    return drive;
}

// The drive node whose root starts `path` (the longest such root: "/media/usb/" before
// "/"), and the names below it. nullopt when no drive holds the path or a name is "." or
// "..", which no node has.
std::optional<std::pair<QTreeWidgetItem*, std::vector<QByteArray>>> DirTreePrivate::splitPath(
    const QByteArray& path) const
{
    const char separator = m_separator;
    QByteArray folder = path;
    if (!folder.endsWith(separator))
        folder += separator;
    QTreeWidgetItem* drive = driveHolding(folder);
    const qsizetype rootLength = drive ? drive->data(0, DirTree::NameRole).toByteArray().size() : 0;
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

bool DirTreePrivate::holdsFolder(const DriveSystem& drives, const std::string& folder, const QByteArray& name)
{
    const std::unique_ptr<FolderEnumeration> entries = drives.enumerate(folder);
    if (!entries)
        return false;
    const std::string wanted = name.toStdString();
    std::string entry;
    while (entries->next(entry) == FolderEnumeration::Step::Entry) {
        if (entry == wanted)
            return isFolderEntry(drives, *entries, folder, entry);
    }
    return false;
}

// A path that cannot name a folder of any drive is refused at once. Any other is taken:
// the drives are listed first if the tree is empty, the whole way is checked on disk
// (never only against the nodes listed before, which may be out of date), and then
// continuePath opens it or reports it unreachable, here or once the reads come back.
bool DirTreePrivate::openPath(const QByteArray& path)
{
    if (path.isEmpty())
        return false;
    for (const QByteArray& name : path.split(m_separator)) {
        if (name == "." || name == "..")
            return false;
    }
    if (m_tree->topLevelItemCount() == 0 && !m_drivesOut)
        ListDrives();
    if (!m_drivesOut && !splitPath(path))
        return false;
    ++m_pathRequest;
    m_wantedPath = path;
    m_wanted = Wanted::Unchecked;
    continuePath();
    return true;
}

void DirTreePrivate::continuePath()
{
    if (m_wantedPath.isEmpty() || m_drivesOut)
        return;
    switch (m_wanted) {
    case Wanted::Checking: return;
    case Wanted::Reachable: openWanted(); return;
    case Wanted::Unreachable: {
        const QString path = displayPath(m_wantedPath);
        m_wantedPath.clear();
        Q_EMIT q->currentPathUnreachable(path);
        return;
    }
    case Wanted::Unchecked: break;
    }
    const auto split = splitPath(m_wantedPath);
    if (!split) {
        m_wanted = Wanted::Unreachable;
        continuePath();
        return;
    }
    const std::string root = nativeFolder(split->first);
    const std::vector<QByteArray> names = split->second;
    const char separator = m_separator;
    auto reachable = std::make_shared<bool>(false);
    const quint64 request = m_pathRequest;
    m_wanted = Wanted::Checking;
    const quint64 id = m_reader->post(
        laneOf(QByteArray::fromStdString(root)),
        [reachable, root, names, separator](const DriveSystem& drives, ScratchList&) {
            std::string folder = root;
            for (const QByteArray& name : names) {
                if (!holdsFolder(drives, folder, name))
                    return;
                folder += name.toStdString() + separator;
            }
            *reachable = true;
        },
        [this, reachable, request](bool late) {
            if (request != m_pathRequest)
                return;
            m_wanted = *reachable ? Wanted::Reachable : Wanted::Unreachable;
            if (late)
                schedulePath();
        });
    if (m_reader->finish(id, m_budget))
        continuePath();
}

// A folder the disk has and its listed parent lacks (made after the parent was listed):
// added among its siblings in their order.
QTreeWidgetItem* DirTreePrivate::addFolderNode(QTreeWidgetItem* parent, const QByteArray& name)
{
    ScratchList order;
    for (int i = 0; i < parent->childCount(); ++i)
        order.addItem(parent->child(i)->text(0), parent->child(i)->data(0, DirTree::NameRole).toByteArray());
    const QString text = TreeText::properCase(TreeText::displayName(name));
    order.addItem(text, name);
    int position = 0;
    for (const ScratchList::Item& item : order.items()) {
        if (item.realName == name)
            break;
        ++position;
    }
    QTreeWidgetItem* node = makeNode(text, {}, u"folder"_s, u"open"_s, name);
    parent->insertChild(position, node);
    return node;
}

// Opens every node on the way to the wanted folder (each child of an opened node listed
// one level ahead, as an expansion lists it, but with no Click) and makes the folder
// current with one Click. A listing on the way that is still out ends this pass; the
// next begins when it comes back.
void DirTreePrivate::openWanted()
{
    const auto split = splitPath(m_wantedPath);
    if (!split) {
        m_wanted = Wanted::Unreachable;
        continuePath();
        return;
    }
    const DirTreeView::Busy busy(m_tree);
    beginHandling();
    m_tree->deferLayout();
    QTreeWidgetItem* node = split->first;
    m_opening = true;
    for (const QByteArray& name : split->second) {
        addHeld(node, -1);
        if (node->childCount() == 0 && !ListSubfolders(nativeFolder(node), node)) {
            m_opening = false;
            (void)endHandling();
            return;
        }
        if (!node->isExpanded()) {
            for (int i = 0; i < node->childCount(); ++i) {
                QTreeWidgetItem* child = node->child(i);
                if (child->childCount() == 0)
                    ListSubfolders(nativeFolder(child), child);
            }
            node->setExpanded(true);
            countRows(node);
        }
        QTreeWidgetItem* next = childNamed(node, name);
        node = next ? next : addFolderNode(node, name);
    }
    m_opening = false;
    m_wantedPath.clear();
    m_tree->setCurrentItem(node);
    m_tree->scrollToItem(node);
    // A handler may delete the control.
    if (NodeClick(node))
        (void)endHandling();
}

} // namespace Cantorel
