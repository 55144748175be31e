#include "dirtree.h"

#include "dirtreeview.h"
#include "drivesystem.h"
#include "treenode.h"
#include "treetext.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

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
    u"unknown", u"fixed", u"ram", u"remove", u"cd", u"folder", u"open", u"remote",
};
const auto kImageFolder = u":/foldertree/tree/"_s;

const auto kDriveKeyPrefix = u"root"_s;
const auto kSeparator = u"\\"_s;
const auto kFolderImage = u"folder"_s;
const auto kOpenImage = u"open"_s;

// The key code of the refresh key (F5) as the tree's key events number keys.
constexpr int kRefreshKeyCode = 116;

// Keys that report the current node as a click does.
bool isReportKey(int qtKey)
{
    return qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter || qtKey == Qt::Key_Space;
}


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

// Key events number keys as the desktop's virtual key codes do: letters and digits by
// their characters, F1 as 112 onward.
int keyCodeOf(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    return 0;
}

} // namespace

DirTree::DirTree(QWidget* parent) : DirTree(DriveSystem::createPlatform(), parent) {}

DirTree::DirTree(std::unique_ptr<DriveSystem> drives, QWidget* parent)
    : QWidget(parent), m_tree(new DirTreeView(this)), m_drives(std::move(drives))
{
    loadImages();

    m_tree->setObjectName(u"DirTree"_s);
    m_tree->setColumnCount(1);
    m_tree->header()->hide();
    // The column is as wide as its longest visible row, indentation included, so a long
    // or deep name is never cut: the view scrolls sideways instead.
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tree->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_tree->setUniformRowHeights(true);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The tree covers the control from its top-left corner; the resize handling keeps
    // it as large as the control.
    m_tree->setGeometry(0, 0, pixels(kTreeWidthTwips), pixels(kTreeHeightTwips));
    m_tree->installEventFilter(this);
    setFocusProxy(m_tree);

    connect(m_tree, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item, int) { handle(Handling::Click, item); });
    connect(m_tree, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { handle(Handling::Expand, item); });
    connect(m_tree, &DirTreeView::currentMovedByKey, this,
            [this] { handle(Handling::Click, m_tree->currentItem()); });
    connect(m_tree, &DirTreeView::eventDone, this, [this] {
        runPending();
        releaseRemovedNodes();
    });
}

DirTree::~DirTree()
{
    // The view goes first, while the members its signals reach are still here.
    disconnect(m_tree, nullptr, this, nullptr);
    delete m_tree;
    m_tree = nullptr;
}

QSize DirTree::sizeHint() const
{
    return {pixels(kControlWidthTwips), pixels(kControlHeightTwips)};
}

void DirTree::loadImages()
{
    for (const char16_t* key : kImageKeys) {
        const QString name = QString::fromUtf16(key);
        img.add(name, kImageFolder + name + u".png"_s);
    }
}

void DirTree::GoList()
{
    ListDrives();
}

QTreeWidgetItem* DirTree::node(int index) const
{
    if (index < 1 || static_cast<std::size_t>(index) > m_nodes.size())
        return nullptr;
    return m_nodes[static_cast<std::size_t>(index - 1)];
}

QTreeWidget* DirTree::tree() const
{
    return m_tree;
}

QString DirTree::nativePath() const
{
    return TreeText::exactText(m_nativePath).value_or(QString());
}

DirTree::NodeRef DirTree::refOf(const QTreeWidgetItem* node) const
{
    return {m_generation, node->data(0, IndexRole).toInt()};
}

QTreeWidgetItem* DirTree::resolve(NodeRef ref) const
{
    return ref.generation == m_generation ? node(ref.index) : nullptr;
}

bool DirTree::isNode(const QTreeWidgetItem* item) const
{
    // A node of an earlier filling has left the view, and its index, if any, names
    // another node now.
    return item && item->treeWidget() == m_tree && node(item->data(0, IndexRole).toInt()) == item;
}

// Runs a handling the view raised. While the view is busy with an event its code still
// holds indexes of the nodes it was working on, and a host that refreshes the tree from
// Click would pull them from under it; such handlings wait until the view has returned.
void DirTree::handle(Handling handling, QTreeWidgetItem* item)
{
    if (!isNode(item))
        return;
    if (m_tree->inEvent()) {
        m_pending.emplace_back(handling, refOf(item));
        return;
    }
    if (handling == Handling::Click)
        NodeClick(item);
    else
        Expand(item);
}

void DirTree::runPending()
{
    while (!m_pending.empty()) {
        const auto [handling, ref] = m_pending.front();
        m_pending.pop_front();
        if (QTreeWidgetItem* item = resolve(ref))
            handle(handling, item);
    }
}

void DirTree::beginHandling()
{
    ++m_handling;
}

void DirTree::endHandling()
{
    if (--m_handling == 0)
        releaseRemovedNodes();
}

QTreeWidgetItem* DirTree::nodeByKey(const QString& key) const
{
    // Drive nodes are the top-level nodes, at most 26 of them.
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_tree->topLevelItem(i);
        if (item->data(0, KeyRole).toString() == key)
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

QString DirTree::folderPath(const QTreeWidgetItem* node) const
{
    const QTreeWidgetItem* drive = node;
    while (drive->parent())
        drive = drive->parent();
    return TreeText::folderPath(drive->text(0), fullPath(node));
}

QByteArray DirTree::nativeFolderBytes(const QTreeWidgetItem* node) const
{
    // Every node of the tree is made by makeNode.
    return static_cast<const TreeNode*>(node)->nativePath();
}

std::string DirTree::nativeFolder(const QTreeWidgetItem* node) const
{
    return nativeFolderBytes(node).toStdString();
}

QTreeWidgetItem* DirTree::makeNode(const QString& text, const QString& key, const QString& image,
                                   const QString& selectedImage, const QByteArray& name)
{
    auto* item = new TreeNode(text, NameRole, m_drives->separator());
    item->setIcon(0, img.icon(image, selectedImage));
    item->setData(0, KeyRole, key);
    item->setData(0, ImageRole, image);
    item->setData(0, SelectedImageRole, selectedImage);
    item->setData(0, NameRole, name);
    m_nodes.push_back(item);
    item->setData(0, IndexRole, static_cast<int>(m_nodes.size()));
    return item;
}

void DirTree::removeAllNodes()
{
    ++m_generation;
    m_nodes.clear();
    // The nodes leave the view now, and are freed once neither the view nor a handling
    // further up the stack can hold one of them.
    for (QTreeWidgetItem* item : m_tree->invisibleRootItem()->takeChildren())
        m_removed.emplace_back(item);
    releaseRemovedNodes();
}

void DirTree::releaseRemovedNodes()
{
    if (m_removed.empty() || m_handling > 0 || m_tree->inEvent())
        return;
    // Code of the host's own that the view called may have made a removed node current
    // after the refresh; the view must not keep it.
    if (m_tree->currentItem() && !isNode(m_tree->currentItem()))
        m_tree->setCurrentItem(nullptr);
    m_removed.clear();
}

void DirTree::ListDrives()
{
    removeAllNodes();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const int type = m_drives->driveType(letter);
        const QString image = imageOfDriveType(type);
        if (image.isEmpty())
            continue;
        const QString key = kDriveKeyPrefix + QString::number(int(letter));
        const QByteArray root = QByteArray::fromStdString(m_drives->rootPath(letter));
        if (type == DriveSystem::Removable) {
            // The medium is not touched: its folders are read on the first click.
            const QString text = TreeText::driveNodeText(QLatin1Char(letter), true, {});
            m_tree->addTopLevelItem(makeNode(text, key, image, {}, root));
            continue;
        }
        // Reading the label and adding the node are one step: no label, no node.
        const std::optional<std::string> label = m_drives->volumeLabel(letter);
        if (!label)
            continue;
        const QString text = TreeText::driveNodeText(QLatin1Char(letter), false,
                                                     TreeText::displayName(QByteArray::fromStdString(*label)));
        m_tree->addTopLevelItem(makeNode(text, key, image, {}, root));
        // The drive's top-level folders, found again through the node's key.
        if (QTreeWidgetItem* drive = nodeByKey(key))
            ListSubfolders(nativeFolder(drive), drive);
    }
}

// Adds the subfolders of `path` (a native folder path ending in the separator) as the
// children of `parent`, in List1's order. Files, hidden and system entries, "." and
// ".." are left out; an entry whose attributes cannot be read is taken as a folder. A
// listing that cannot start adds nothing; one that fails halfway adds what it read.
void DirTree::ListSubfolders(const std::string& path, QTreeWidgetItem* parent)
{
    if (const std::unique_ptr<FolderEnumeration> entries = m_drives->enumerate(path)) {
        std::string name;
        while (entries->next(name) == FolderEnumeration::Step::Entry) {
            if (name == "." || name == "..")
                continue;
            const std::optional<DriveSystem::Attributes> attributes = m_drives->attributes(path + name);
            if (!attributes || attributes->directory)
                List1.addItem(TreeText::properCase(TreeText::displayName(name)), QByteArray::fromStdString(name));
        }
    }
    // Without a parent every node fails to be added, one by one.
    if (parent) {
        QList<QTreeWidgetItem*> children;
        children.reserve(List1.count());
        for (const ScratchList::Item& item : List1.items())
            children.append(makeNode(item.text, {}, kFolderImage, kOpenImage, item.realName));
        parent->addChildren(children);
    }
    List1.clear();
}

void DirTree::NodeClick(QTreeWidgetItem* node)
{
    beginHandling();
    const auto done = qScopeGuard([this] { endHandling(); });
    const QString key = node->data(0, KeyRole).toString();
    const bool isDrive = key.left(4) == kDriveKeyPrefix;
    // A drive node with children goes straight to its path. One without is listed by its
    // key, and, if that found nothing, once more by its index like any folder node.
    if (!isDrive || node->childCount() == 0) {
        if (isDrive)
            ListSubfolders(nativeFolder(node), nodeByKey(key));
        if (node->childCount() == 0)
            ListSubfolders(nativeFolder(node), this->node(node->data(0, IndexRole).toInt()));
    }

    QString folder = folderPath(node);
    if (!folder.endsWith(kSeparator))
        folder += kSeparator;
    m_path = folder;
    m_nativePath = nativeFolderBytes(node);
    Q_EMIT Click();
}

void DirTree::Expand(QTreeWidgetItem* node)
{
    beginHandling();
    const auto done = qScopeGuard([this] { endHandling(); });
    const quint64 generation = m_generation;
    // The range is fixed now; the children's own listings add nodes beyond it.
    const int childCount = node->childCount();
    const int first = childCount ? node->child(0)->data(0, IndexRole).toInt() : 1;
    const int last = childCount ? node->child(childCount - 1)->data(0, IndexRole).toInt() : 0;
    for (int index = first; index <= last; ++index) {
        if (QTreeWidgetItem* child = this->node(index))
            NodeClick(child);
        // A Click handler that refreshed the tree took the remaining nodes with it.
        if (m_generation != generation)
            return;
    }
    NodeClick(node);
    if (m_generation != generation)
        return;
    m_tree->setCurrentItem(node);
}

void DirTree::KeyDown(int keyCode, Qt::KeyboardModifiers shift)
{
    Q_UNUSED(shift);
    beginHandling();
    const auto done = qScopeGuard([this] { endHandling(); });
    if (keyCode == kRefreshKeyCode) {
        removeAllNodes();
        ListDrives();
    }
}

// Expands `top` and every node below it that is listed now, each node after the nodes
// below it, so that the last Click reports `top` and leaves it selected. The nodes are
// chosen before the first expansion, so the look-ahead listings it causes are shown by
// the next '*' at the earliest: one level per press, however deep the drive.
void DirTree::expandListed(QTreeWidgetItem* top)
{
    std::vector<NodeRef> nodes;
    std::vector<QTreeWidgetItem*> stack{top};
    while (!stack.empty()) {
        QTreeWidgetItem* item = stack.back();
        stack.pop_back();
        if (item->childCount() == 0)
            continue;
        nodes.push_back(refOf(item));
        for (int i = 0; i < item->childCount(); ++i)
            stack.push_back(item->child(i));
    }
    const NodeRef topRef = refOf(top);
    bool topExpanded = false;
    for (auto ref = nodes.rbegin(); ref != nodes.rend(); ++ref) {
        // Resolves to nothing once a Click handler has refreshed the tree.
        QTreeWidgetItem* item = resolve(*ref);
        if (!item)
            return;
        if (!item->isExpanded()) {
            item->setExpanded(true);
            topExpanded = ref->index == topRef.index;
        }
    }
    // An open node was not expanded again: it is reported here instead.
    if (QTreeWidgetItem* item = resolve(topRef); item && !topExpanded) {
        m_tree->setCurrentItem(item);
        NodeClick(item);
    }
}

// Keys reach the control before the view: what the control does here runs while no code
// of the view is on the stack.
bool DirTree::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_tree || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    KeyDown(keyCodeOf(key->key()), key->modifiers());
    QTreeWidgetItem* current = m_tree->currentItem();
    if (key->key() == Qt::Key_Asterisk) {
        // The view's own '*' expands every descendant, and each expansion lists one level
        // more for it to expand: it would walk the whole drive.
        if (isNode(current))
            expandListed(current);
        return true;
    }
    if (isReportKey(key->key()))
        handle(Handling::Click, current);
    return false;
}

void DirTree::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_tree->resize(width(), height());
}
