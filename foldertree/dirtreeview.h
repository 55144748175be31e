#pragma once

#include <QTreeWidget>

// The tree view inside DirTree. It tells the control when the view has finished with an
// event, so that the control can run its own handlings (which call the host, which may
// refresh the tree) only when no code of the view is on the stack: the view's key and
// mouse code goes on using the indexes it held before it raised a signal, and would store
// indexes of nodes that a refresh has just removed.
class DirTreeView : public QTreeWidget
{
    Q_OBJECT

public:
    explicit DirTreeView(QWidget* parent = nullptr);

    // True while the view handles an event (of its own or of its viewport).
    bool inEvent() const { return m_eventDepth > 0; }

Q_SIGNALS:
    // The view has returned from its outermost event.
    void eventDone();
    // A key press of the user moved the current node (arrows, page keys, a typed letter).
    void currentMovedByKey();

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    template <typename Handle>
    bool counted(Handle handle);

    int m_eventDepth = 0;
};
