// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "filelistview.h"

#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QToolTip>

FileListView::FileListView(QWidget* parent) : QListView(parent)
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
            event->globalPosition(), event->button(), event->buttons(), event->modifiers(),
            event->pointingDevice());
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

QItemSelectionModel::SelectionFlags FileListView::selectionCommand(
    const QModelIndex& index, const QEvent*) const
{
    // Whatever becomes current is selected, with or without Ctrl held: the highlighted file
    // is always the one picked last.
    return index.isValid() ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::NoUpdate;
}

QModelIndex FileListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    if (currentIndex().isValid() || rows == 0)
        return QListView::moveCursor(cursorAction, modifiers);
    // Qt sends every key to the first file while none is current.
    switch (cursorAction) {
    case MoveEnd: return model()->index(rows - 1, 0, rootIndex());
    case MovePageDown: {
        // A page down from the first, measured as Qt measures it; the first is current only
        // for the measuring, unseen.
        const QSignalBlocker quiet(selectionModel());
        selectionModel()->setCurrentIndex(model()->index(0, 0, rootIndex()), QItemSelectionModel::NoUpdate);
        const QModelIndex target = QListView::moveCursor(cursorAction, modifiers);
        selectionModel()->clearCurrentIndex();
        return target;
    }
    default: return QListView::moveCursor(cursorAction, modifiers);
    }
}

bool FileListView::viewportEvent(QEvent* event)
{
    // Qt shows the list's own tooltip only over the empty space below the files; over a
    // file it asks the file's entry, which has none.
    if (event->type() == QEvent::ToolTip && !toolTip().isEmpty()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        if (index.isValid()) {
            QString tip = index.data(Qt::DisplayRole).toString() + u'\n' + toolTip();
            // Shown as plain text: a name that looks like markup is escaped, keeping its lines.
            if (Qt::mightBeRichText(tip))
                tip = Qt::convertFromPlainText(tip, Qt::WhiteSpaceNoWrap);
            QToolTip::showText(help->globalPos(), tip, viewport(), visualRect(index));
            return true;
        }
    }
    return QListView::viewportEvent(event);
}
