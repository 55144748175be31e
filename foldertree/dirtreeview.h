// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QPersistentModelIndex>
#include <QTreeWidget>

#include <memory>
#include <vector>

namespace Cantorel {

// The tree view inside DirTree. It tells the control when the view has finished with an
// event, so that the control can run its own handlings (which call the host, which may
// refresh the tree or delete the control) only when no code of the view is on the stack:
// the view's key and mouse code goes on using the indexes it held before it raised a
// signal, and would store indexes of nodes that a refresh has just removed.
//
// The mouse moves the current node only by a left click on a node (press and release on
// it), which the control reports, or by opening a node. A right or middle click does
// nothing, a left press never drag-selects, and a left press released elsewhere puts the
// current node back where it was: no node becomes current without a Click.
class DirTreeView : public QTreeWidget
{
    Q_OBJECT

public:
    explicit DirTreeView(QWidget* parent = nullptr);

    // True while the view handles an event (of its own or of its viewport).
    bool inEvent() const { return m_eventDepth > 0; }

    // Holds the view while code that uses it is on the stack: the view's own event
    // handling, and every handling of the control (which calls the host, which may run
    // an event loop and delete the control in it). A view the control left behind meanwhile
    // is freed once the outermost of these has returned, never from inside a host's
    // nested event loop, which would free it under the code that still runs in it.
    class Busy
    {
    public:
        explicit Busy(DirTreeView* view) : m_view(view) { ++view->m_busy; }
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        DirTreeView* m_view;
    };
    bool isBusy() const { return m_busy > 0; }

    // The control is gone while the view is busy: the view leaves its parent, keeps the
    // nodes removed meanwhile (code on the stack may hold them) and frees itself with
    // them when the last Busy ends.
    void orphan(std::vector<std::unique_ptr<QTreeWidgetItem>> removed);

    // The width a row needs to be drawn uncut: its indentation (`depth` levels below the
    // top), picture, margins and text. Measured with the view's own drawing once, then
    // from the text's width alone, so that counting thousands of rows stays cheap.
    int rowWidth(const QTreeWidgetItem* item, int depth);
    // Lays the rows out once, when they are next looked at (painted, hit, scrolled to),
    // rather than row by row as nodes open and gain children: an expansion of many
    // nodes then takes time in proportion to the rows, not to their square.
    void deferLayout() { scheduleDelayedItemsLayout(); }

    // Has the view find the row of `item`, which it then remembers: cheap while `item` is
    // its parent's last child.
    void primeRow(const QTreeWidgetItem* item) const { (void)indexFromItem(item); }

    // Measures the rows anew from the next rowWidth on (after a refresh).
    void remeasureRows() { m_rowOverhead = -1; }

Q_SIGNALS:
    // The view has returned from its outermost event.
    void eventDone();
    // A key press of the user moved the current node (arrows, page keys, a typed letter).
    void currentMovedByKey();
    // The rows' widths are to be measured anew: the view's font or style has changed, or
    // it has been polished for showing (which settles both).
    void measuresChanged();

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    template <typename Handle> bool counted(Handle handle);

    int m_eventDepth = 0;
    int m_busy = 0;
    bool m_orphaned = false;
    std::vector<std::unique_ptr<QTreeWidgetItem>> m_removed;
    int m_rowOverhead = -1;
    // The current node when the left button went down, and whether the control has been
    // told of a click or an expansion since.
    QPersistentModelIndex m_currentAtPress;
    bool m_leftPressed = false;
    bool m_reportedSincePress = false;
};

} // namespace Cantorel
