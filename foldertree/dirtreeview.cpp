// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "dirtreeview.h"

#include "nodedelegate.h"

#include <QItemSelectionModel>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QtMath>
#include <QMouseEvent>

#include <algorithm>

namespace Cantorel {

DirTreeView::DirTreeView(QWidget* parent) : QTreeWidget(parent)
{
    setItemDelegate(new NodeDelegate(this));
    const auto reported = [this] { m_reportedSincePress = true; };
    connect(this, &QTreeWidget::itemClicked, this, reported);
    connect(this, &QTreeWidget::itemExpanded, this, reported);
}

DirTreeView::Busy::~Busy()
{
    if (--m_view->m_busy == 0 && m_view->m_orphaned)
        m_view->deleteLater();
}

void DirTreeView::orphan(std::vector<std::unique_ptr<QTreeWidgetItem>> removed)
{
    hide();
    setParent(nullptr);
    m_removed = std::move(removed);
    m_orphaned = true;
}

template <typename Handle> bool DirTreeView::counted(Handle handle)
{
    const Busy busy(this);
    ++m_eventDepth;
    const bool result = handle();
    // The handler of eventDone may delete the control; the view stays until `busy` ends.
    if (--m_eventDepth == 0)
        Q_EMIT eventDone();
    return result;
}

bool DirTreeView::event(QEvent* event)
{
    // The view's own deletion (deleteLater) ends with no view left to count on.
    if (event->type() == QEvent::DeferredDelete)
        return QTreeWidget::event(event);
    const bool result = counted([&] { return QTreeWidget::event(event); });
    switch (event->type()) {
    case QEvent::Polish:
    case QEvent::FontChange:
    case QEvent::StyleChange:
        remeasureRows();
        Q_EMIT measuresChanged();
        break;
    default: break;
    }
    return result;
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

void DirTreeView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    m_currentAtPress = currentIndex();
    m_leftPressed = true;
    m_reportedSincePress = false;
    QTreeWidget::mousePressEvent(event);
}

void DirTreeView::mouseMoveEvent(QMouseEvent* event)
{
    // Dragging with a button held would move the current node along.
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void DirTreeView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
    if (!m_leftPressed)
        return;
    m_leftPressed = false;
    // Pressed on one node and released on another, or outside: not a click, so neither
    // the node the press made current nor the highlight the release moved (a press on
    // the highlighted node selects on release) is the host's choice. Both go back to the
    // current node the host was told of.
    if (m_reportedSincePress)
        return;
    if (!m_currentAtPress.isValid()) {
        selectionModel()->clearCurrentIndex();
        clearSelection();
    } else if (currentIndex() != m_currentAtPress
        || selectionModel()->selectedIndexes() != QModelIndexList {QModelIndex(m_currentAtPress)}) {
        selectionModel()->setCurrentIndex(m_currentAtPress, QItemSelectionModel::ClearAndSelect);
    }
}

void DirTreeView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

int DirTreeView::rowWidth(const QTreeWidgetItem* item, int depth)
{
    const QString text = NodeDelegate::shownText(item->text(0));
    // The style lays the text out and rounds its width up; rounding to the nearest pixel
    // would come out a pixel short for some names where widths are fractional (unhinted
    // fonts, a scale of 1.5).
    const int textWidth = qCeil(QFontMetricsF(font()).horizontalAdvance(text));
    if (m_rowOverhead < 0) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        m_rowOverhead
            = std::max(0, itemDelegate()->sizeHint(option, indexFromItem(item)).width() - textWidth);
    }
    return (depth + (rootIsDecorated() ? 1 : 0)) * indentation() + m_rowOverhead + textWidth;
}

} // namespace Cantorel
