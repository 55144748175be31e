// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "DirTree/dirtree.h"
#include "DirTree/drivesystem.h"
#include "diskreader.h"
#include "imagelist.h"
#include "scratchlist.h"

#include <QPointer>

#include <chrono>
#include <deque>
#include <optional>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

namespace Cantorel {

class DirTreeView;
class FolderEnumeration;

// What DirTree holds and does, out of the installed header. Everything that raises Click
// returns whether the control is still alive afterwards: a handler may have deleted it,
// and then no member may be touched any more.
// A node named by its index in one filling of the tree: it resolves to nothing once
// the tree has been refreshed.
struct NodeRefBase {
    quint64 generation = 0;
    int index = 0;
};

class DirTreePrivate
{
public:
    DirTreePrivate(DirTree* q, std::unique_ptr<DriveSystem> drives);
    ~DirTreePrivate();
    DirTreePrivate(const DirTreePrivate&) = delete;
    DirTreePrivate& operator=(const DirTreePrivate&) = delete;

    // For tests, which look at the inner parts.
    static DirTreePrivate* of(const DirTree& tree) { return tree.d.get(); }

    void ListDrives();
    // Lists the subfolders of `parent` (its native folder `path`) on the reader's thread.
    // Returns whether they are in: false while the listing is out, the node then says so
    // and gets its children when the listing comes back.
    bool ListSubfolders(const std::string& path, QTreeWidgetItem* parent);
    // Asks for the listing of `parent` without waiting for it, unless it is out already:
    // an expansion asks for its children's listings ahead of their Clicks, so the reader
    // works while the control's thread raises Click.
    void askForListing(QTreeWidgetItem* parent);
    quint64 postListing(const std::string& path, NodeRefBase ref);
    // Whether the entry `name` of `folder` that `entries` yielded last is listed as a
    // subfolder: the listing's type decides where it gives one, else the attributes,
    // and an entry whose attributes cannot be read counts as a folder. On the reader's
    // thread.
    static bool isFolderEntry(const DriveSystem& drives, const FolderEnumeration& entries,
        const std::string& folder, const std::string& name);
    // The drives of the table read by ListDrives, added as their labels come back.
    struct DriveEntry {
        char letter = 0;
        int type = DriveSystem::NoRootDir;
        QByteArray root;
    };
    void addDrives(const std::vector<DriveEntry>& drives);
    void labelDrive(NodeRefBase ref, const std::optional<std::string>& label);
    void addListing(NodeRefBase ref, std::vector<ScratchList::Item> items);
    // Marks a node whose read is out (TreeNode::Reading...), or clears the mark.
    void markNode(QTreeWidgetItem* node, int state);
    // Whether reads are out, their results wait to be applied, or an expansion is being
    // filled in (for tests).
    bool reading() const { return !m_reader->idle() || m_pathScheduled || m_expansion || m_star; }
    // Has continuePath run from the event loop, once, after an answer came back late.
    void schedulePath();
    bool m_pathScheduled = false;

    [[nodiscard]] bool NodeClick(QTreeWidgetItem* node);
    [[nodiscard]] bool Expand(QTreeWidgetItem* node);
    void KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    [[nodiscard]] bool expandListed(QTreeWidgetItem* top);

    // An expansion reports its children in batches of m_batchSize, each from the event
    // loop, so a wide folder shows its first rows at once and the host's thread stays
    // free meanwhile. The handling stays open from the first batch to the last, so the
    // chosen folder is reported once, at the end; handlings the view raises meanwhile
    // wait for that end, so the Clicks keep the order they would have in one go.
    struct Expansion {
        NodeRefBase node;
        int depth = 0; // of the children, as countRow counts it
        int next = 0;  // the index of the next child to report
        int last = 0;
        int asked = 0; // the children whose listings have been asked for
    };
    // '*' in progress: the nodes still to expand, in their order.
    struct Star {
        std::vector<NodeRefBase> nodes;
        std::size_t next = 0;
        std::size_t asked = 0;
        NodeRefBase top;
        bool topReported = false;
    };
    // Reports the next children of `job`, at most `limit` of them (all when negative).
    [[nodiscard]] bool reportChildren(Expansion& job, int limit);
    // Runs a batch of m_expansion, and its end when it was the last.
    [[nodiscard]] bool runExpansion();
    [[nodiscard]] bool finishExpansion(const Expansion& job);
    // Expands the next nodes of m_star, until one is filled in by batches or none is left.
    [[nodiscard]] bool runStar();
    void postBatch();
    // The next batch, from the event loop; returns whether the control lives.
    [[nodiscard]] bool resumeBatches();
    // True between two batches: what the view raises then waits for their end.
    bool fillingIn() const { return (m_expansion || m_star) && !m_inBatch; }
    // The children of a wide listing of a closed node beyond the first m_shownAtOnce, by
    // their parent's index: kept out of the view until the expansion that reports them,
    // so the view lays out a few rows before its first paint. They are added a growing
    // number at a time (the view lays out all the open rows again after each addition).
    struct Held {
        std::vector<std::unique_ptr<QTreeWidgetItem>> nodes;
        std::size_t next = 0; // the first not added yet
    };
    std::map<int, Held> m_held;
    int m_shownAtOnce = 1000;
    // The index of the first held child of the node `parent`, or none.
    std::optional<int> firstHeld(int parent) const;
    // Adds `count` more held children of `parent` (every one when negative).
    void addHeld(QTreeWidgetItem* parent, int count);
    std::optional<Expansion> m_expansion;
    std::optional<Star> m_star;
    int m_batchSize = 1000;
    bool m_inBatch = false;          // a batch, or a step of '*', is running
    bool m_starExpanding = false;    // '*' opens a node: its expansion is '*''s, not deferred
    bool m_stopStar = false;         // Esc: '*' stops at its next batch
    bool m_resumeAfterEvent = false; // a batch came due while the view was in an event
    bool filterKey(QEvent* event);
    void shareAccessibleText();

    using NodeRef = NodeRefBase;
    enum class Handling { Click, Expand };
    NodeRef refOf(const QTreeWidgetItem* node) const;
    QTreeWidgetItem* resolve(NodeRef ref) const;
    bool isNode(const QTreeWidgetItem* item) const;
    [[nodiscard]] bool handle(Handling handling, QTreeWidgetItem* item);
    [[nodiscard]] bool runPending();
    void beginHandling();
    // Ends a handling; the outermost one reports a change of the chosen folder, and
    // returns whether the control outlived its handlers.
    [[nodiscard]] bool endHandling();

    // The path API.
    bool openPath(const QByteArray& path);
    // Goes on with the path asked for last once its check, or a listing on its way, has
    // come back; reports its outcome.
    void continuePath();
    std::optional<std::pair<QTreeWidgetItem*, std::vector<QByteArray>>> splitPath(
        const QByteArray& path) const;
    static bool holdsFolder(const DriveSystem& drives, const std::string& folder, const QByteArray& name);
    // The drive node whose root starts `folder` (ending in the separator), the longest such
    // root; nullptr when none does.
    QTreeWidgetItem* driveHolding(const QByteArray& folder) const;
    // The reader's lane of reads of `folder`: that of the drive holding it, so a drive
    // mounted inside another is read on its own; the drive table's when none holds it.
    int laneOf(const QByteArray& folder) const;
    // The lane of the drive table; a drive's lane is its letter.
    static constexpr int kTableLane = 0;
    QTreeWidgetItem* addFolderNode(QTreeWidgetItem* parent, const QByteArray& name);
    QTreeWidgetItem* childNamed(const QTreeWidgetItem* parent, const QByteArray& name) const;

    void loadImages();
    QTreeWidgetItem* makeNode(const QString& text, const QString& key, const QString& image,
        const QString& selectedImage, const QByteArray& name);
    QTreeWidgetItem* nodeByKey(const QString& key) const;
    QTreeWidgetItem* node(int index) const;
    void removeAllNodes();
    void releaseRemovedNodes();
    QByteArray nativeFolderBytes(const QTreeWidgetItem* node) const;
    std::string nativeFolder(const QTreeWidgetItem* node) const;
    QString folderPath(const QTreeWidgetItem* node) const;

    // The column's width: at least that of every row shown since the last refresh,
    // counted once per row as rows come into view, and set once per handling.
    void countRows(const QTreeWidgetItem* parent);
    void countAllRows();
    void countRow(const QTreeWidgetItem* row, int depth);
    void applyColumnWidth();

    DirTree* const q;
    DirTreeView* m_tree = nullptr; // the control's tree view
    ImageList img;

    char m_separator;
    // Every question to the drive layer goes through the reader, on its thread.
    std::unique_ptr<DiskReader> m_reader;
    // How long the control's thread waits for a read before it shows the node as being
    // read and goes on: long enough for a disk that answers, short enough never to be
    // felt. Negative waits for every read (tests of the order of events).
    std::chrono::milliseconds m_budget {40};
    // True while the drive table of the last refresh is out.
    bool m_drivesOut = false;
    // Nodes (by index, in this filling) whose listing is out, with the read's number.
    std::map<int, quint64> m_listingsOut;
    // The path setCurrentPath asked for last, while it is on its way; and its number,
    // so that the check of an earlier one that comes back late is dropped.
    QByteArray m_wantedPath;
    quint64 m_pathRequest = 0;
    // How far the wanted path has come.
    enum class Wanted { Unchecked, Checking, Reachable, Unreachable };
    Wanted m_wanted = Wanted::Unchecked;
    void openWanted();
    QString displayPath(const QByteArray& path) const;
    std::vector<QTreeWidgetItem*> m_nodes; // by index - 1
    QString m_path;
    QByteArray m_nativePath;
    // nativePath as currentPathChanged last reported it.
    QByteArray m_settledPath;
    // nativePath of the node the handling in progress leaves current; reported when the
    // outermost handling ends. An expansion cut short leaves the last settled one.
    QByteArray m_candidatePath;
    // True while currentPathChanged is being raised.
    bool m_reporting = false;
    // True while setCurrentPath opens the nodes on the way: their expansions raise nothing.
    bool m_opening = false;

    // Bumped whenever every node is removed, so that a handling in progress can tell
    // that the nodes it still meant to visit are gone.
    quint64 m_generation = 0;
    // How deep the handlings of this control are nested right now.
    int m_handling = 0;
    // True while '*' expands a batch of nodes: only its last step makes a node current
    // (making a node current opens its parents, whose expansions would run too early).
    bool m_batch = false;
    // Clicks and expansions the view raised while it was busy with an event; run once
    // it has returned from it.
    // `makeCurrent`: raised between two batches of an expansion, whose end moved the
    // current node since.
    struct Pending {
        Handling handling;
        NodeRef ref;
        bool makeCurrent = false;
    };
    std::deque<Pending> m_pending;
    // Nodes removed while the view or a handling may still hold them; freed as soon as
    // neither does.
    std::vector<std::unique_ptr<QTreeWidgetItem>> m_removed;
    int m_widest = 0;       // the widest row counted, indentation included
    int m_rowOverhead = -1; // a row's width beyond its text, measured once per filling
};

} // namespace Cantorel
