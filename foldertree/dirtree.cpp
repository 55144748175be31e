// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "DirTree/dirtree.h"

#include "DirTree/drivesystem.h"
#include "dirtreeprivate.h"
#include "dirtreeview.h"
#include "treenode.h"
#include "treetext.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QStringList>

#include <algorithm>
#include <utility>

using namespace Qt::Literals::StringLiterals;

// The pictures are compiled into the library; a static library keeps them only when
// something refers to them. Outside any namespace, as the resource's name is global.
static void initDirTreePictures() { Q_INIT_RESOURCE(dirtree_pictures); }

namespace Cantorel {

namespace {

// Design sizes, in twips (1440 to the inch, 15 to a pixel at 96 dots per inch).
constexpr int kControlWidthTwips = 6495;
constexpr int kControlHeightTwips = 5220;
constexpr int kTreeWidthTwips = 2445;
constexpr int kTreeHeightTwips = 2175;
constexpr int kTwipsPerPixel = 15;

constexpr int pixels(int twips) { return twips / kTwipsPerPixel; }

// The node pictures in the image list's order, each a 16 x 16 PNG of the resources.
constexpr const char16_t* kImageKeys[] = {
    u"unknown",
    u"fixed",
    u"ram",
    u"remove",
    u"cd",
    u"folder",
    u"open",
    u"remote",
};
const auto kImageFolder = u":/foldertree/tree/"_s;

const auto kDriveKeyPrefix = u"root"_s;
const auto kSeparator = u"\\"_s;
const auto kFolderImage = u"folder"_s;
const auto kOpenImage = u"open"_s;

// Picture of each drive type; an empty key means the type gets no node.
QString imageOfDriveType(int type)
{
    switch (type) {
    case DriveSystem::Unknown: return u"unknown"_s;
    case DriveSystem::Removable: return u"remove"_s;
    case DriveSystem::Fixed: return u"fixed"_s;
    case DriveSystem::Remote: return u"remote"_s;
    case DriveSystem::CdRom: return u"cd"_s;
    case DriveSystem::RamDisk: return u"ram"_s;
    default: return {};
    }
}

} // namespace

DirTree::DirTree(QWidget* parent) : DirTree(DriveSystem::createPlatform(), parent) { }

DirTree::DirTree(std::unique_ptr<DriveSystem> drives, QWidget* parent)
    : QWidget(parent), d(std::make_unique<DirTreePrivate>(this, std::move(drives)))
{
    DirTreeView* view = d->m_tree;
    view->installEventFilter(this);
    setFocusProxy(view);

    connect(view, &QTreeWidget::itemClicked, this,
        [this](QTreeWidgetItem* item, int) { (void)d->handle(DirTreePrivate::Handling::Click, item); });
    connect(view, &QTreeWidget::itemExpanded, this,
        [this](QTreeWidgetItem* item) { (void)d->handle(DirTreePrivate::Handling::Expand, item); });
    connect(view, &DirTreeView::currentMovedByKey, this,
        [this] { (void)d->handle(DirTreePrivate::Handling::Click, d->m_tree->currentItem()); });
    connect(view, &DirTreeView::measuresChanged, this, [this] { d->countAllRows(); });
    connect(view, &DirTreeView::eventDone, this, [this] {
        // A handler that deleted the control has taken `d` with it.
        if (std::exchange(d->m_resumeAfterEvent, false) && !d->resumeBatches())
            return;
        if (d->runPending())
            d->releaseRemovedNodes();
    });
}

DirTree::~DirTree() = default;

DirTreePrivate::DirTreePrivate(DirTree* q, std::unique_ptr<DriveSystem> drives)
    : q(q), m_tree(new DirTreeView(q)), m_separator(drives->separator()),
      m_reader(std::make_unique<DiskReader>(std::move(drives)))
{
    loadImages();

    m_tree->setObjectName(u"DirTree"_s);
    m_tree->setColumnCount(1);
    m_tree->header()->hide();
    // The column is as wide as the widest row shown, indentation included, so a long or
    // deep name is never cut: the view scrolls sideways instead. The control sets the
    // width itself, once per handling; the header measuring every row on every
    // expansion would make '*' over many nodes take quadratic time.
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Fixed);
    m_tree->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_tree->setUniformRowHeights(true);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The tree covers the control from its top-left corner; the resize handling keeps
    // it as large as the control.
    m_tree->setGeometry(0, 0, pixels(kTreeWidthTwips), pixels(kTreeHeightTwips));
}

DirTreePrivate::~DirTreePrivate()
{
    // The view goes first, while the members its signals reach are still here.
    QObject::disconnect(m_tree, nullptr, q, nullptr);
    m_tree->removeEventFilter(q);
    if (!m_tree->isBusy()) {
        delete m_tree;
        return;
    }
    // A handler of Click deletes the control, or a nested event loop of the host does:
    // code of the view (its mouse or key handling, or its expand() called by the host) is
    // still on the stack and goes on using the view, and the nodes removed meanwhile,
    // once the handler has returned. The view leaves the control and frees itself, with
    // those nodes, when that code has returned.
    m_tree->orphan(std::move(m_removed));
}

QSize DirTree::sizeHint() const { return {pixels(kControlWidthTwips), pixels(kControlHeightTwips)}; }

void DirTreePrivate::loadImages()
{
    initDirTreePictures();
    for (const char16_t* key : kImageKeys) {
        const QString name = QString::fromUtf16(key);
        img.add(name, kImageFolder + name + u".png"_s);
    }
}

void DirTree::GoList() { d->ListDrives(); }

QString DirTree::path() const { return d->m_path; }

QByteArray DirTree::nativePathBytes() const { return d->m_nativePath; }

QTreeWidgetItem* DirTree::node(int index) const { return d->node(index); }

QTreeWidgetItem* DirTreePrivate::node(int index) const
{
    if (index < 1 || static_cast<std::size_t>(index) > m_nodes.size())
        return nullptr;
    return m_nodes[static_cast<std::size_t>(index - 1)];
}

QTreeWidget* DirTree::tree() const { return d->m_tree; }

QString DirTree::nativePath() const { return TreeText::exactText(d->m_nativePath).value_or(QString()); }

DirTreePrivate::NodeRef DirTreePrivate::refOf(const QTreeWidgetItem* node) const
{
    return {m_generation, node->data(0, DirTree::IndexRole).toInt()};
}

QTreeWidgetItem* DirTreePrivate::resolve(NodeRef ref) const
{
    return ref.generation == m_generation ? node(ref.index) : nullptr;
}

bool DirTreePrivate::isNode(const QTreeWidgetItem* item) const
{
    // A node of an earlier filling has left the view, and its index, if any, names
    // another node now.
    return item && item->treeWidget() == m_tree && node(item->data(0, DirTree::IndexRole).toInt()) == item;
}

void DirTreePrivate::beginHandling() { ++m_handling; }

bool DirTreePrivate::endHandling()
{
    if (--m_handling > 0)
        return true;
    releaseRemovedNodes();
    applyColumnWidth();
    // The current node has settled: reported once, after every Click of the handling. A
    // handler that moves it again while the change is being reported is heard after
    // every handler of this report, so the last path each one hears is the final one.
    if (m_reporting)
        return true;
    const QPointer<DirTree> alive(q);
    m_reporting = true;
    while (m_candidatePath != m_settledPath) {
        m_settledPath = m_candidatePath;
        Q_EMIT q->currentPathChanged(q->currentPath());
        if (!alive)
            return false;
    }
    m_reporting = false;
    return true;
}

int DirTreePrivate::laneOf(const QByteArray& folder) const
{
    const QTreeWidgetItem* drive = driveHolding(folder);
    return drive ? drive->data(0, DirTree::KeyRole).toString().mid(kDriveKeyPrefix.size()).toInt()
                 : kTableLane;
}

QTreeWidgetItem* DirTreePrivate::nodeByKey(const QString& key) const
{
    // Drive nodes are the top-level nodes, at most 26 of them.
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_tree->topLevelItem(i);
        if (item->data(0, DirTree::KeyRole).toString() == key)
            return item;
    }
    return nullptr;
}

QString DirTree::fullPath(const QTreeWidgetItem* node)
{
    QStringList texts;
    for (const QTreeWidgetItem* n = node; n; n = n->parent())
        texts.prepend(n->text(0));
    return texts.join(kSeparator);
}

QString DirTreePrivate::folderPath(const QTreeWidgetItem* node) const
{
    const QTreeWidgetItem* drive = node;
    while (drive->parent())
        drive = drive->parent();
    return TreeText::folderPath(drive->text(0), DirTree::fullPath(node));
}

QByteArray DirTreePrivate::nativeFolderBytes(const QTreeWidgetItem* node) const
{
    // Every node of the tree is made by makeNode.
    return static_cast<const TreeNode*>(node)->nativePath();
}

std::string DirTreePrivate::nativeFolder(const QTreeWidgetItem* node) const
{
    return nativeFolderBytes(node).toStdString();
}

QTreeWidgetItem* DirTreePrivate::makeNode(const QString& text, const QString& key, const QString& image,
    const QString& selectedImage, const QByteArray& name)
{
    auto* item = new TreeNode(text, img.icon(image, selectedImage), m_separator,
        {key, image, selectedImage, name, static_cast<int>(m_nodes.size()) + 1});
    m_nodes.push_back(item);
    return item;
}

void DirTreePrivate::removeAllNodes()
{
    ++m_generation;
    m_nodes.clear();
    m_widest = 0;
    // The nodes leave the view now, and are freed once neither the view nor a handling
    // further up the stack can hold one of them.
    for (QTreeWidgetItem* item : m_tree->invisibleRootItem()->takeChildren())
        m_removed.emplace_back(item);
    m_held.clear();
    releaseRemovedNodes();
}

void DirTreePrivate::releaseRemovedNodes()
{
    if (m_removed.empty() || m_handling > 0 || m_tree->inEvent())
        return;
    // Code of the host's own that the view called may have made a removed node current
    // after the refresh; the view must not keep it.
    if (m_tree->currentItem() && !isNode(m_tree->currentItem()))
        m_tree->setCurrentItem(nullptr);
    m_removed.clear();
}

void DirTreePrivate::countRows(const QTreeWidgetItem* parent)
{
    int depth = 1;
    for (const QTreeWidgetItem* n = parent->parent(); n; n = n->parent())
        ++depth;
    for (int i = 0; i < parent->childCount(); ++i)
        countRow(parent->child(i), depth);
}

// Every row on view, measured afresh.
void DirTreePrivate::countAllRows()
{
    m_widest = 0;
    std::vector<std::pair<const QTreeWidgetItem*, int>> stack;
    for (int i = m_tree->topLevelItemCount() - 1; i >= 0; --i)
        stack.emplace_back(m_tree->topLevelItem(i), 0);
    while (!stack.empty()) {
        const auto [row, depth] = stack.back();
        stack.pop_back();
        countRow(row, depth);
        if (row->isExpanded()) {
            for (int i = row->childCount() - 1; i >= 0; --i)
                stack.emplace_back(row->child(i), depth + 1);
        }
    }
    applyColumnWidth();
}

void DirTreePrivate::countRow(const QTreeWidgetItem* row, int depth)
{
    m_widest = std::max(m_widest, m_tree->rowWidth(row, depth));
}

void DirTreePrivate::applyColumnWidth()
{
    if (m_tree->columnWidth(0) != m_widest)
        m_tree->setColumnWidth(0, m_widest);
}

// Lists the drives afresh: the table of drive letters, then each drive's label and
// top-level folders, all read on the reader's thread. What comes back in time is shown at
// once, in the same order as ever; a drive whose label does not come back in time is
// shown without it, marked as not answering, and filled in when it does.
void DirTreePrivate::ListDrives()
{
    beginHandling();
    removeAllNodes();
    m_tree->remeasureRows();
    m_listingsOut.clear();
    m_drivesOut = true;
    const char separator = m_separator;
    auto table = std::make_shared<std::vector<DriveEntry>>();
    const quint64 generation = m_generation;
    const quint64 id = m_reader->post(
        kTableLane,
        [table, separator](const DriveSystem& drives, ScratchList&) {
            for (char letter = 'A'; letter <= 'Z'; ++letter) {
                const int type = drives.driveType(letter);
                if (imageOfDriveType(type).isEmpty())
                    continue;
                QByteArray root = QByteArray::fromStdString(drives.rootPath(letter));
                // A root without its separator is taken as if it had one.
                if (!root.isEmpty() && !root.endsWith(separator))
                    root += separator;
                table->push_back({letter, type, root});
            }
        },
        [this, table, generation](bool late) {
            if (generation != m_generation)
                return;
            m_drivesOut = false;
            beginHandling();
            addDrives(*table);
            (void)endHandling();
            if (late)
                schedulePath();
        });
    (void)m_reader->finish(id, m_budget);
    // Listing raises nothing, and leaves the chosen folder as it was.
    (void)endHandling();
}

void DirTreePrivate::addDrives(const std::vector<DriveEntry>& drives)
{
    // Every label is asked for before the first is waited for: each drive is read on its
    // own lane, so drives that do not answer share one wait.
    struct Asked {
        std::shared_ptr<std::optional<std::string>> label;
        std::shared_ptr<NodeRef> shown;
        quint64 id = 0;
    };
    std::vector<Asked> asked(drives.size());
    for (std::size_t i = 0; i < drives.size(); ++i) {
        if (drives[i].type == DriveSystem::Removable)
            continue;
        // A label that does not come back in time names a node shown meanwhile.
        auto label = std::make_shared<std::optional<std::string>>();
        auto shown = std::make_shared<NodeRef>();
        const char letter = drives[i].letter;
        const quint64 id = m_reader->post(
            int(letter),
            [label, letter](const DriveSystem& drives, ScratchList&) { *label = drives.volumeLabel(letter); },
            [this, label, shown](bool late) {
                if (late)
                    labelDrive(*shown, *label);
            });
        asked[i] = {label, shown, id};
    }
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const DriveEntry& entry = drives[i];
        const QString image = imageOfDriveType(entry.type);
        const QString key = kDriveKeyPrefix + QString::number(int(entry.letter));
        if (entry.type == DriveSystem::Removable) {
            // The medium is not touched: its folders are read on the first click.
            const QString text = TreeText::driveNodeText(QLatin1Char(entry.letter), true, {});
            QTreeWidgetItem* drive = makeNode(text, key, image, {}, entry.root);
            m_tree->addTopLevelItem(drive);
            countRow(drive, 0);
            continue;
        }
        // Reading the label and adding the node are one step: no label, no node.
        const auto& [label, shown, id] = asked[i];
        const char letter = entry.letter;
        if (m_reader->finish(id, m_budget)) {
            if (!*label)
                continue;
            const QString text = TreeText::driveNodeText(
                QLatin1Char(letter), false, TreeText::displayName(QByteArray::fromStdString(**label)));
            QTreeWidgetItem* added = makeNode(text, key, image, {}, entry.root);
            m_tree->addTopLevelItem(added);
            countRow(added, 0);
            // The drive's top-level folders, found again through the node's key.
            if (QTreeWidgetItem* drive = nodeByKey(key))
                ListSubfolders(nativeFolder(drive), drive);
            continue;
        }
        QTreeWidgetItem* added
            = makeNode(TreeText::driveNodeText(QLatin1Char(letter), false, {}), key, image, {}, entry.root);
        m_tree->addTopLevelItem(added);
        countRow(added, 0);
        *shown = refOf(added);
        ListSubfolders(nativeFolder(added), added);
        markNode(added, TreeNode::NotAnswering);
    }
}

// The label of a drive shown before it came back: the node gets its text, or, when the
// label cannot be read, goes.
void DirTreePrivate::labelDrive(NodeRefBase ref, const std::optional<std::string>& label)
{
    QTreeWidgetItem* drive = resolve(ref);
    if (!drive)
        return;
    if (!label) {
        m_listingsOut.erase(ref.index);
        m_held.erase(ref.index);
        m_nodes[static_cast<std::size_t>(ref.index - 1)] = nullptr;
        m_removed.emplace_back(m_tree->takeTopLevelItem(m_tree->indexOfTopLevelItem(drive)));
        releaseRemovedNodes();
        return;
    }
    const QChar letter(
        char16_t(drive->data(0, DirTree::KeyRole).toString().mid(kDriveKeyPrefix.size()).toInt()));
    static_cast<TreeNode*>(drive)->setNodeText(
        TreeText::driveNodeText(letter, false, TreeText::displayName(QByteArray::fromStdString(*label))));
    markNode(drive, m_listingsOut.count(ref.index) ? TreeNode::Reading : TreeNode::Ready);
    countRow(drive, 0);
    if (m_handling == 0)
        applyColumnWidth();
}

void DirTreePrivate::schedulePath()
{
    if (m_pathScheduled || m_wantedPath.isEmpty())
        return;
    m_pathScheduled = true;
    QMetaObject::invokeMethod(
        q,
        [this] {
            m_pathScheduled = false;
            continuePath();
        },
        Qt::QueuedConnection);
}

void DirTreePrivate::markNode(QTreeWidgetItem* node, int state)
{
    static_cast<TreeNode*>(node)->setState(static_cast<TreeNode::State>(state));
}

bool DirTreePrivate::isFolderEntry(const DriveSystem& drives, const FolderEnumeration& entries,
    const std::string& folder, const std::string& name)
{
    if (name == "." || name == "..")
        return false;
    switch (entries.entryType()) {
    case FolderEnumeration::EntryType::Folder: return true;
    case FolderEnumeration::EntryType::File: return false;
    case FolderEnumeration::EntryType::Unknown: break;
    }
    const std::optional<DriveSystem::Attributes> attributes = drives.attributes(folder + name);
    return !attributes || attributes->directory;
}

// Adds the subfolders of `path` (a native folder path ending in the separator) as the
// children of `parent`, in List1's order. Files, hidden and system entries, "." and
// ".." are left out. The type the listing gives an entry decides where it gives one;
// otherwise its attributes do, and an entry whose attributes cannot be read is taken as a
// folder. A listing that cannot start adds nothing; one that fails halfway adds what it
// read. The reading and sorting are the reader's; a listing of a node already out is not
// asked for again.
bool DirTreePrivate::ListSubfolders(const std::string& path, QTreeWidgetItem* parent)
{
    const NodeRef ref = parent ? refOf(parent) : NodeRef {m_generation, 0};
    quint64 id = 0;
    if (const auto out = m_listingsOut.find(ref.index); parent && out != m_listingsOut.end())
        id = out->second;
    else
        id = postListing(path, ref);
    if (m_reader->finish(id, m_budget))
        return true;
    if (QTreeWidgetItem* node = resolve(ref);
        node && static_cast<TreeNode*>(node)->state() == TreeNode::Ready)
        markNode(node, TreeNode::Reading);
    return false;
}

void DirTreePrivate::askForListing(QTreeWidgetItem* parent)
{
    const NodeRef ref = refOf(parent);
    if (!m_listingsOut.count(ref.index))
        (void)postListing(nativeFolder(parent), ref);
}

quint64 DirTreePrivate::postListing(const std::string& path, NodeRefBase ref)
{
    auto items = std::make_shared<std::vector<ScratchList::Item>>();
    const quint64 id = m_reader->post(
        laneOf(QByteArray::fromStdString(path)),
        [items, path](const DriveSystem& drives, ScratchList& List1) {
            if (const std::unique_ptr<FolderEnumeration> entries = drives.enumerate(path)) {
                std::string name;
                while (entries->next(name) == FolderEnumeration::Step::Entry) {
                    if (isFolderEntry(drives, *entries, path, name))
                        List1.addItem(TreeText::properCase(TreeText::displayName(name)),
                            QByteArray::fromStdString(name));
                }
            }
            *items = List1.takeItems();
        },
        [this, ref, items](bool late) {
            addListing(ref, std::move(*items));
            if (late) {
                if (m_handling == 0)
                    applyColumnWidth();
                schedulePath();
            }
        });
    if (ref.index > 0)
        m_listingsOut.emplace(ref.index, id);
    return id;
}

void DirTreePrivate::addListing(NodeRefBase ref, std::vector<ScratchList::Item> items)
{
    if (ref.generation != m_generation)
        return;
    m_listingsOut.erase(ref.index);
    // Without a parent every node fails to be added, one by one.
    QTreeWidgetItem* parent = resolve(ref);
    if (!parent)
        return;
    if (static_cast<TreeNode*>(parent)->state() == TreeNode::Reading)
        markNode(parent, TreeNode::Ready);
    // A node that got its children meanwhile (a folder the path API found on disk) keeps them.
    if (parent->childCount() > 0)
        return;
    QList<QTreeWidgetItem*> children;
    children.reserve(static_cast<qsizetype>(items.size()));
    for (ScratchList::Item& item : items)
        children.append(makeNode(item.text, {}, kFolderImage, kOpenImage, item.realName));
    // A wide listing of a closed node: its first rows now, the rest with its expansion.
    if (!parent->isExpanded() && children.size() > m_shownAtOnce) {
        Held& held = m_held[ref.index];
        held.nodes.reserve(static_cast<std::size_t>(children.size() - m_shownAtOnce));
        for (qsizetype i = m_shownAtOnce; i < children.size(); ++i)
            held.nodes.emplace_back(children[i]);
        children.resize(m_shownAtOnce);
    }
    // One at a time, each found by the view while it is the last child: the view
    // finds a node's row by searching its parent's children from the end, once per
    // node, and a node's own listing (its look-ahead) asks for that row. Added in one
    // batch, child i of n would cost n - i steps there: quadratic in wide folders.
    for (QTreeWidgetItem* child : std::as_const(children)) {
        parent->addChild(child);
        m_tree->primeRow(child);
    }
    // Children added below an open node are on view at once.
    if (!children.isEmpty() && parent->isExpanded())
        countRows(parent);
}

std::optional<int> DirTreePrivate::firstHeld(int parent) const
{
    const auto held = m_held.find(parent);
    if (held == m_held.end())
        return std::nullopt;
    return held->second.nodes[held->second.next]->data(0, DirTree::IndexRole).toInt();
}

void DirTreePrivate::addHeld(QTreeWidgetItem* parent, int count)
{
    const auto found = m_held.find(refOf(parent).index);
    if (found == m_held.end())
        return;
    Held& held = found->second;
    const std::size_t upTo
        = count < 0 ? held.nodes.size() : std::min(held.nodes.size(), held.next + std::size_t(count));
    // One at a time, each found by the view while it is the last child (see addListing).
    for (; held.next < upTo; ++held.next) {
        QTreeWidgetItem* child = held.nodes[held.next].release();
        parent->addChild(child);
        m_tree->primeRow(child);
    }
    if (held.next == held.nodes.size())
        m_held.erase(found);
}

bool DirTreePrivate::NodeClick(QTreeWidgetItem* node)
{
    beginHandling();
    const QString key = node->data(0, DirTree::KeyRole).toString();
    const bool isDrive = key.left(4) == kDriveKeyPrefix;
    // A drive node with children goes straight to its path. One without is listed by its
    // key, and, if that found nothing, once more by its index like any folder node.
    if (!isDrive || node->childCount() == 0) {
        if (isDrive)
            ListSubfolders(nativeFolder(node), nodeByKey(key));
        if (node->childCount() == 0)
            ListSubfolders(nativeFolder(node), this->node(node->data(0, DirTree::IndexRole).toInt()));
    }

    QString folder = folderPath(node);
    if (!folder.endsWith(kSeparator))
        folder += kSeparator;
    m_path = folder;
    m_nativePath = nativeFolderBytes(node);
    m_candidatePath = m_nativePath;
    // A handler may delete the control: then nothing of it may be touched any more.
    const QPointer<DirTree> alive(q);
    Q_EMIT q->Click();
    if (!alive)
        return false;
    return endHandling();
}

void DirTree::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    d->m_tree->resize(width(), height());
}

} // namespace Cantorel
