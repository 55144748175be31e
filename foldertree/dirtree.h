#pragma once

#include "imagelist.h"
#include "scratchlist.h"

#include <QByteArray>
#include <QString>
#include <QWidget>

#include <deque>
#include <memory>
#include <string>
#include <vector>

class DirTreeView;
class DriveSystem;
class QTreeWidget;
class QTreeWidgetItem;

// The folder tree control: the machine's drives as the top-level nodes of a tree and
// their folders below them, read one level at a time as the user clicks and expands
// nodes. A host fills it with GoList, handles Click and reads path (or nativePath).
//
// Nodes. A drive node has the key "root" + the character code of its letter ('root67'
// for C:), the text 'System (C:)' ('(A:)' for a removable drive) and its drive type's
// picture. A folder node has no key, the folder's proper-cased name as its text and the
// folder pictures; the name as it is on disk is kept beside the text, and the disk is
// always reached through those names, so 'Music' and 'music' on a case-sensitive file
// system stay two folders. Every node has a 1-based index, in order of addition; the
// children of one node are added in one run, so their indexes are consecutive.
//
// Names on disk that are not valid UTF-8 are shown with their bytes read as Windows-1252
// ('caf\xe9' shows as 'Café'), never with replacement characters.
//
// Nothing the control does on the disk is reported: a drive or folder that cannot be
// read simply adds nothing. Everything runs on the thread of the host window; a slow
// drive holds that thread for as long as it takes to answer.
//
// The keyboard: moving the current node (arrows, page keys, a typed letter) reports it
// as a click does, and so do Return, Enter and Space on the current node. Right, '+' and
// a double click expand a node (which clicks each child and then the node). '*' expands
// the current node and every node below it that is listed already, and ends with a click
// of the current node; it never lists more than one level below what it shows. F5 lists
// the drives afresh.
class DirTree : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString path READ path)

public:
    // What each node of the inner tree carries, for hosts and tests that look at it.
    enum NodeRole {
        KeyRole = Qt::UserRole + 1, // QString: 'root65'..'root90' for drives, empty otherwise
        ImageRole,                  // QString: key of the picture in `img`
        SelectedImageRole,          // QString: key of the picture while selected, or empty
        IndexRole,                  // int: 1-based, in order of addition
        NameRole,                   // QByteArray: a drive's native root, a folder's name on disk
    };
    // Qt::ToolTipRole holds the name as on disk and the node's native path, on two lines.

    // Reads the platform's drives and folders.
    explicit DirTree(QWidget* parent = nullptr);
    // Reads `drives` instead, for instance a fake in tests.
    explicit DirTree(std::unique_ptr<DriveSystem> drives, QWidget* parent = nullptr);
    ~DirTree() override;

    // Removes every node and lists the drives afresh.
    void GoList();

    // The folder path of the node last clicked or expanded, in the form 'C:\Windows\'
    // (drive letter, colon, the node texts joined by "\", a final "\"); empty before the
    // first click. A display form: the texts are proper-cased and a "\" inside a name
    // looks like a separator, so it cannot tell 'MUSIC' from 'music' on Linux. Reach the
    // folder through nativePath() or nativePathBytes().
    QString path() const { return m_path; }

    // The same folder as the platform names it, through the names on disk: '/home/ann/
    // Music/' on Linux for the node 'System (C:)\Home\Ann\Music'; 'C:\Program Files\'
    // on Windows. On Linux QFile::encodeName gives back exactly nativePathBytes(). Empty
    // before the first click, and empty when a name on the way is not valid UTF-8, as no
    // string would name it: nativePathBytes() names it then.
    QString nativePath() const;

    // The same folder as bytes, exact for every name on disk: the file system's own
    // bytes on POSIX (open it with them as they are), UTF-8 on Windows. Empty before the
    // first click.
    QByteArray nativePathBytes() const { return m_nativePath; }

    // The inner tree view (the tree of the control's design); its nodes carry NodeRole data.
    QTreeWidget* tree() const;

    // The eight node pictures, keyed "unknown", "fixed", "ram", "remove", "cd", "folder",
    // "open", "remote", in that order.
    const ImageList& imageList() const { return img; }

    // The node with a 1-based index, or nullptr.
    QTreeWidgetItem* node(int index) const;

    // The full path of a node: the texts from its drive node down to it, joined by "\".
    static QString fullPath(const QTreeWidgetItem* node);

    QSize sizeHint() const override;

Q_SIGNALS:
    // Raised at the end of every click handling, after path has been set: once for a
    // click, a keyboard move, Return or Space; n + 1 times for the expansion of a node with
    // n children (each child, then the node). A handler may call GoList, run a modal
    // window or both at any of these; an expansion in progress then ends at once.
    void Click();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ListDrives();
    void ListSubfolders(const std::string& path, QTreeWidgetItem* parent);

    void NodeClick(QTreeWidgetItem* node);
    void Expand(QTreeWidgetItem* node);
    void KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void expandListed(QTreeWidgetItem* top);

    // A node named by its index in one filling of the tree: it resolves to nothing once
    // the tree has been refreshed.
    struct NodeRef
    {
        quint64 generation = 0;
        int index = 0;
    };
    enum class Handling { Click, Expand };
    NodeRef refOf(const QTreeWidgetItem* node) const;
    QTreeWidgetItem* resolve(NodeRef ref) const;
    bool isNode(const QTreeWidgetItem* item) const;
    void handle(Handling handling, QTreeWidgetItem* item);
    void runPending();
    void beginHandling();
    void endHandling();

    void loadImages();
    QTreeWidgetItem* makeNode(const QString& text, const QString& key, const QString& image,
                              const QString& selectedImage, const QByteArray& name);
    QTreeWidgetItem* nodeByKey(const QString& key) const;
    void removeAllNodes();
    void releaseRemovedNodes();
    QByteArray nativeFolderBytes(const QTreeWidgetItem* node) const;
    std::string nativeFolder(const QTreeWidgetItem* node) const;
    QString folderPath(const QTreeWidgetItem* node) const;

    DirTreeView* m_tree = nullptr; // the control's tree view
    ScratchList List1;
    ImageList img;

    std::unique_ptr<DriveSystem> m_drives;
    std::vector<QTreeWidgetItem*> m_nodes; // by index - 1
    QString m_path;
    QByteArray m_nativePath;

    // Bumped whenever every node is removed, so that a handling in progress can tell
    // that the nodes it still meant to visit are gone.
    quint64 m_generation = 0;
    // How deep the handlings of this control are nested right now.
    int m_handling = 0;
    // Clicks and expansions the view raised while it was busy with an event; run once
    // it has returned from it.
    std::deque<std::pair<Handling, NodeRef>> m_pending;
    // Nodes removed while the view or a handling may still hold them; freed as soon as
    // neither does.
    std::vector<std::unique_ptr<QTreeWidgetItem>> m_removed;
};
