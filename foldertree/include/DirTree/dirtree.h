// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

/// @file
/// Cantorel::DirTree, the folder tree control. Include it as `<DirTree/dirtree.h>`.

#include <DirTree/dirtree_export.h>
#include <DirTree/dirtree_version.h>

#include <QByteArray>
#include <QString>
#include <QWidget>

#include <memory>

QT_BEGIN_NAMESPACE
class QTreeWidget;
class QTreeWidgetItem;
QT_END_NAMESPACE

/// Everything of the DirTree library.
namespace Cantorel {

class DirTreePrivate;
class DriveSystem;

/// The folder tree control: the machine's drives as the top-level nodes of a tree and
/// their folders below them, read one level at a time as the user clicks and expands
/// nodes. A host fills it with GoList(), handles Click() and reads path() or, to reach
/// the folder, nativePath() / nativePathBytes(). A host that wants the chosen folder
/// once it has settled, rather than every Click, uses the property currentPath: it reads
/// it, sets it (setCurrentPath() opens the way to a folder, to restore the last one) and
/// hears of its changes through currentPathChanged().
///
/// **Nodes.** A drive node has the key "root" + the character code of its letter
/// ('root67' for C:), the text 'System (C:)' ('(A:)' for a removable drive) and its drive
/// type's picture. A folder node has no key, the folder's proper-cased name as its text
/// and the folder pictures; the name as it is on disk is kept beside the text, and the
/// disk is always reached through those names, so 'Music' and 'music' on a
/// case-sensitive file system stay two folders. Every node has a 1-based index, in order
/// of addition; the children of one node are added in one run, so their indexes are
/// consecutive. Names on disk that are not valid UTF-8 are shown with their bytes read as
/// Windows-1252 ('caf\\xe9' shows as 'Café'); a line break inside a name is drawn as a
/// visible mark, so no name is cut.
///
/// **When Click comes.** Click() is raised, after path() has been set:
/// - once for a left click on a node (press and release on the same node);
/// - once for a keyboard move onto a node (arrows, page keys, Home, End, a typed letter);
/// - once for Return or Enter on the current node;
/// - n + 1 times for the expansion of a node with n children (mouse, Right, '+', a
///   double click): once for each child, whose subfolders are read then, and last for
///   the node itself, which ends current;
/// - for '*': each node below the current one that is listed already is expanded as
///   above, every node after the nodes below it, and the current node comes last, once.
///
/// A wide expansion is filled in as it goes: its first children are shown and reported at
/// once, the rest in batches from the event loop (the node is marked "Being read"
/// meanwhile), in the same order and number. What the user does meanwhile (a click, a
/// key, another expansion) is handled after the expansion's last Click. '*' goes on
/// after each such expansion; Esc stops it there, and the current node's Click ends it.
/// A refresh, or the control's end (deleteLater() included), drops the batches to come.
///
/// Nothing else moves the current node: a right or middle click, and a left press that
/// is released on another node or outside the tree, leave it where it was. Space does
/// nothing. F5 lists the drives afresh and raises nothing. Every change of the current
/// node is thus reported, once, in the order it happened.
///
/// **Handlers may refresh or delete.** A handler of Click() (or of currentPathChanged())
/// may call GoList(), run a modal dialog or any event loop, or destroy the control or its
/// window, directly or by a deferred delete that runs inside such a loop, at any Click of
/// any of these actions: the handling in progress ends there, no Click comes once the
/// control is gone, and nothing removed is touched afterwards. Both `delete tree` and
/// `tree->deleteLater()` are safe from a handler; deleteLater() is the one to choose when
/// the handler is not the last code of the host that uses the control in that event.
///
/// **Threads.** The control never asks the disk on its own thread. Every question to its
/// DriveSystem (the drive table, labels, folder listings, attributes) is asked on one
/// worker thread of the control's own, one question at a time, and the answers are handed
/// back to the control's thread by queued events. The control waits a few tens of
/// milliseconds for an answer, so a disk that answers is shown as before, in the same
/// steps; a drive or folder that does not answer in that time is shown at once without
/// its contents, marked "Not answering" (a drive) or "Being read" (a folder) in its
/// tooltip and accessible description, and filled in when the answer comes. While the
/// answer is out, an expansion raises its Clicks without waiting for it. Deleting the
/// control, or a refresh, while a question is out drops its answer; a question that
/// hangs keeps only the worker thread, which ends once it comes back.
class DIRTREE_EXPORT DirTree : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString path READ path)
    Q_PROPERTY(QString currentPath READ currentPath WRITE setCurrentPath NOTIFY currentPathChanged)

public:
    /// What each node of the inner tree carries, for hosts and tests that look at it.
    /// Qt::ToolTipRole holds the name as on disk and the node's native path, on two lines.
    enum NodeRole {
        KeyRole = Qt::UserRole + 1, ///< QString: 'root65'..'root90' for drives, empty otherwise
        ImageRole,                  ///< QString: key of the node's picture
        SelectedImageRole,          ///< QString: key of the picture while selected, or empty
        IndexRole,                  ///< int: 1-based, in order of addition
        NameRole,                   ///< QByteArray: a drive's native root, a folder's name on disk
    };

    /// Makes an empty control that reads the platform's drives and folders.
    explicit DirTree(QWidget* parent = nullptr);
    /// Makes an empty control that reads `drives` instead, for instance a fake machine in
    /// tests. The control owns it.
    explicit DirTree(std::unique_ptr<DriveSystem> drives, QWidget* parent = nullptr);
    /// Frees the control, its nodes and its drive layer; safe from a handler of Click().
    ~DirTree() override;

    /// Removes every node and lists the drives afresh (as F5 does): the drive nodes with
    /// the top-level folders of every drive that is not removable. Raises nothing;
    /// path() keeps its value.
    Q_INVOKABLE void GoList();

    /// The folder path of the node last reported by Click(), in the form 'C:\\Windows\\'
    /// (drive letter, colon, the node texts joined by "\", a final "\"); empty before
    /// the first Click(). A display form: the texts are proper-cased and a "\" inside a
    /// name looks like a separator, so it cannot tell 'MUSIC' from 'music' on Linux.
    /// Reach the folder through nativePath() or nativePathBytes().
    QString path() const;

    /// The same folder as the platform names it, through the names on disk:
    /// '/home/ann/Music/' on Linux for the node 'System (C:)\\Home\\Ann\\Music';
    /// 'C:\\Program Files\\' on Windows. On Linux QFile::encodeName gives back exactly
    /// nativePathBytes(). Empty before the first Click(), and empty when a name on the
    /// way is not valid UTF-8, as no string names it then: nativePathBytes() does.
    QString nativePath() const;

    /// The same folder as bytes, exact for every name on disk: the file system's own
    /// bytes on POSIX (open it with them as they are), UTF-8 on Windows. Empty before
    /// the first Click().
    QByteArray nativePathBytes() const;

    /// The native path of the current node once the handling that made it current has
    /// ended: after an expansion it names the expanded node, never one of its children.
    /// Keeps its value through GoList() and F5, as path() does; empty before the first
    /// Click(). Where a name on the way is not valid UTF-8 it is the text the tree shows
    /// for it; currentPathBytes() gives the exact bytes. The property `currentPath`.
    QString currentPath() const;

    /// The current node's native path as bytes, exact for every name on disk (see
    /// nativePathBytes()): what setCurrentPathBytes() takes to restore it.
    QByteArray currentPathBytes() const;

    /// Makes the folder `nativePath` current, as the platform names it ('/home/ann/Music'
    /// or '/home/ann/Music/' on Linux, 'C:\\Music' on Windows; names exactly as on disk),
    /// without waiting for the disk. The whole way is checked on disk on the worker
    /// thread. Then the control opens its drive and every folder on the way, each child
    /// of an opened folder read one level ahead as an expansion reads it, and raises
    /// Click() once, for the folder, then currentPathChanged() if it differs from the
    /// last; or, for a folder the tree cannot show (missing, hidden, below a folder that
    /// cannot be read), raises currentPathUnreachable() and leaves the tree as it was.
    /// Either comes before this call returns when the disk answers in time, else later.
    /// An empty control lists the drives first. A later call replaces an earlier one that
    /// has not come through yet.
    /// @return false only for a path that cannot be a folder of any drive (empty, with a
    /// name "." or "..", relative, or on no drive); true otherwise
    bool setCurrentPath(const QString& nativePath);

    /// setCurrentPath() for a path given as bytes, exact for names that are not valid
    /// UTF-8 (as currentPathBytes() and nativePathBytes() give them).
    bool setCurrentPathBytes(const QByteArray& nativePath);

    /// The native path of `node`, a node of this control, as nativePath() names the
    /// folder of the last Click(): for a context menu on any node. Empty for nullptr, an
    /// item that is not a node of this control, or a name that is not valid UTF-8.
    QString nativePath(const QTreeWidgetItem* node) const;

    /// The native path of `node` as bytes, exact for every name on disk (see
    /// nativePathBytes()). Empty for nullptr or an item that is not a node of this control.
    QByteArray nativePathBytes(const QTreeWidgetItem* node) const;

    /// Access to the internals, which may change from one minor version to the next: the
    /// inner tree view, to look at the nodes (they carry NodeRole data). The path API
    /// (currentPath(), setCurrentPath(), nativePath(const QTreeWidgetItem*)) covers
    /// ordinary work. Connect to Click() and currentPathChanged(), not to the view's
    /// signals, and leave its nodes as they are.
    QTreeWidget* tree() const;

    /// Access to the internals, which may change from one minor version to the next: the
    /// node with a 1-based index, or nullptr. Indexes start again at 1 with every GoList()
    /// or F5.
    QTreeWidgetItem* node(int index) const;

    /// The full path of a node: the texts from its drive node down to it, joined by "\"
    /// ('System (C:)\\Program Files').
    static QString fullPath(const QTreeWidgetItem* node);

    /// The control's design size.
    QSize sizeHint() const override;

Q_SIGNALS:
    /// Raised at the end of every click handling, after path() has been set; see the
    /// class description for when. A handler may call GoList(), run a modal window,
    /// delete the control or do all of these; a handling in progress then ends at once.
    void Click();

    /// Raised once per change of the current node that settles, with the new
    /// currentPath(): after the last Click() of a click, a key, an expansion (not per
    /// child), '*' or setCurrentPath(), and only when the folder differs from the one
    /// last reported. GoList() and F5 raise it not. Its handlers may do what those of
    /// Click() may.
    void currentPathChanged(const QString& nativePath);

    /// Raised when the folder of a setCurrentPath() call cannot be shown (see there), with
    /// the path as asked for; the tree and the current node are left as they were.
    void currentPathUnreachable(const QString& nativePath);

protected:
    /// Keeps the inner tree as large as the control.
    void resizeEvent(QResizeEvent* event) override;
    /// Sees the keys of the inner tree before the tree does.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class DirTreePrivate;
    std::unique_ptr<DirTreePrivate> d;
};

} // namespace Cantorel
