// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "filelistview.h"

#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

FileListView::FileListView(QWidget* parent)
    : QListView(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true); // keeps a list of many thousands of files quick to lay out
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    setDragEnabled(false);
}

void FileListView::setPlaceholderText(const QString& text)
{
    if (text == m_placeholder)
        return;
    m_placeholder = text;
    viewport()->update();
}

void FileListView::paintEvent(QPaintEvent* event)
{
    QListView::paintEvent(event);
    if (m_placeholder.isEmpty() || (model() && model()->rowCount(rootIndex()) > 0))
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    constexpr int kMargin = 6;
    painter.drawText(viewport()->rect().adjusted(kMargin, kMargin, -kMargin, -kMargin),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_placeholder);
}

void FileListView::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !index.isValid()) {
        // Other buttons and the empty space below the last file change nothing.
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
    Q_EMIT picked(index);
}

void FileListView::pickRow(int row)
{
    const QModelIndex index = model() ? model()->index(row, 0, rootIndex()) : QModelIndex();
    if (!index.isValid())
        return;
    setCurrentIndex(index);
    scrollTo(index);
    Q_EMIT picked(index);
}

void FileListView::mouseMoveEvent(QMouseEvent* event)
{
    // Dragging with a button held would move the selection without a click.
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QListView::mouseMoveEvent(event);
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click on the same file is not a pick of its own; on
    // another file (the first press scrolled the list, say) it is an ordinary press.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() && index != currentIndex()) {
        QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->scenePosition(),
                          event->globalPosition(), event->button(), event->buttons(),
                          event->modifiers(), event->pointingDevice());
        mousePressEvent(&press);
        return;
    }
    event->accept();
}

void FileListView::keyPressEvent(QKeyEvent* event)
{
    const QPersistentModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    const QModelIndex after = currentIndex();
    if (after.isValid() && after != before)
        Q_EMIT picked(after);
}

void FileListView::focusInEvent(QFocusEvent* event)
{
    const bool hadCurrent = currentIndex().isValid();
    QListView::focusInEvent(event);
    // Qt makes the first entry current when an untouched list gets the focus; the first
    // arrow key would then skip it. With no current entry the first key picks the first file.
    if (!hadCurrent && currentIndex().isValid())
        selectionModel()->clearCurrentIndex();
}

QItemSelectionModel::SelectionFlags FileListView::selectionCommand(const QModelIndex& index,
                                                                   const QEvent*) const
{
    // Whatever becomes current is selected, with or without Ctrl held: the highlighted file
    // is always the one picked last.
    return index.isValid() ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::NoUpdate;
}
