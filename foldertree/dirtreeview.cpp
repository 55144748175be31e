#include "dirtreeview.h"

#include <QKeyEvent>
#include <QPersistentModelIndex>

DirTreeView::DirTreeView(QWidget* parent) : QTreeWidget(parent) {}

template <typename Handle>
bool DirTreeView::counted(Handle handle)
{
    ++m_eventDepth;
    const bool result = handle();
    if (--m_eventDepth == 0)
        Q_EMIT eventDone();
    return result;
}

bool DirTreeView::event(QEvent* event)
{
    return counted([&] { return QTreeWidget::event(event); });
}

bool DirTreeView::viewportEvent(QEvent* event)
{
    return counted([&] { return QTreeWidget::viewportEvent(event); });
}

void DirTreeView::keyPressEvent(QKeyEvent* event)
{
    const QPersistentModelIndex before = currentIndex();
    QTreeWidget::keyPressEvent(event);
    if (currentIndex().isValid() && currentIndex() != before)
        Q_EMIT currentMovedByKey();
}
