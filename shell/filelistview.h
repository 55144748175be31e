// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QListView>

// The main window's file list: one entry selectable at a time, and a pick reported for
// every left click on an entry (the current one included) and for every key press that
// makes another entry current. Nothing else picks: not the list getting the focus, not
// its filling, not dragging the mouse over it.
//
// With no current entry (a new list), a key goes where it says: End to the last file,
// PageDown a page down from the first, any other move to the first; one pick each.
//
// The list's tooltip (naming the listed folder) shows wherever the pointer rests: over a
// file it comes under the file's name.
//
// Assistive technology sees each entry as a list item whose press action picks its file the
// way a click on it does.
class FileListView : public QListView
{
    Q_OBJECT
public:
    explicit FileListView(QWidget* parent = nullptr);

    // Makes the row's entry the current (and selected) one, scrolls to it and picks it, as a
    // left click on it does. Nothing for a row the list does not have.
    void pickRow(int row);

    // What the list shows in its place while it has no entries (a folder being read, or
    // one that cannot be); nothing when empty.
    void setPlaceholderText(const QString& text);
    QString placeholderText() const { return m_placeholder; }

Q_SIGNALS:
    void picked(const QModelIndex& index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex& index, const QEvent* event) const override;

private:
    QString m_placeholder;
};
