#pragma once

#include "imagelist.h"
#include "scratchlist.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

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
// Nothing the control does on the disk is reported: a drive or folder that cannot be
// read simply adds nothing.
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

    // Reads the platform's drives and folders.
    explicit DirTree(QWidget* parent = nullptr);
    // Reads `drives` instead, for instance a fake in tests.
    explicit DirTree(std::unique_ptr<DriveSystem> drives, QWidget* parent = nullptr);
    ~DirTree() override;

    // Removes every node and lists the drives afresh.
    void GoList();

    // The folder path of the node last clicked or expanded, in the form 'C:\Windows\'
    // (drive letter, colon, the node texts joined by "\", a final "\"); empty before the
    // first click.
    QString path() const { return m_path; }

    // The same folder as the platform names it, through the names on disk: '/home/ann/
    // Music/' on Linux for the node 'System (C:)\Home\Ann\Music'; 'C:\Program Files\'
    // on Windows. Empty before the first click.
    QString nativePath() const { return m_nativePath; }

    // The inner tree view (the tree of the control's design); its nodes carry NodeRole data.
    QTreeWidget* tree() const { return m_tree; }

    // The eight node pictures, keyed "unknown", "fixed", "ram", "remove", "cd", "folder",
    // "open", "remote", in that order.
    const ImageList& imageList() const { return img; }

    // The node with a 1-based index, or nullptr.
    QTreeWidgetItem* node(int index) const;

    // The full path of a node: the texts from its drive node down to it, joined by "\".
    static QString fullPath(const QTreeWidgetItem* node);

    QSize sizeHint() const override;

Q_SIGNALS:
    // Raised at the end of every click handling, after path has been set. A handler may
    // call GoList; an expansion in progress then ends at once.
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

    void loadImages();
    QTreeWidgetItem* makeNode(const QString& text, const QString& key, const QString& image,
                              const QString& selectedImage, const QByteArray& name);
    QTreeWidgetItem* nodeByKey(const QString& key) const;
    void removeAllNodes();
    void releaseRemovedNodes();
    std::string nativeFolder(const QTreeWidgetItem* node) const;
    QString folderPath(const QTreeWidgetItem* node) const;

    QTreeWidget* m_tree = nullptr; // the control's tree view
    ScratchList List1;
    ImageList img;

    std::unique_ptr<DriveSystem> m_drives;
    std::vector<QTreeWidgetItem*> m_nodes; // by index - 1
    QString m_path;
    QString m_nativePath;

    // Bumped whenever every node is removed, so that a handling in progress can tell
    // that the nodes it still meant to visit are gone.
    quint64 m_generation = 0;
    // How deep the handlings of this control are nested right now.
    int m_handling = 0;
    // Nodes removed while the view or a handling may still hold them; freed from the
    // event loop once no handling is running.
    std::vector<std::unique_ptr<QTreeWidgetItem>> m_removed;
    bool m_releaseScheduled = false;
};
