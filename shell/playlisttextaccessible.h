// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QAccessibleWidget>

class QPlainTextEdit;
class TextBoundaries;

// The playlist box as assistive technology sees it: a multi-line editable text with the
// name, role, state, text, caret, selection and editing Qt gives a QPlainTextEdit, whose
// questions about the text around an offset (character, word, sentence, line as shown,
// paragraph) are answered by TextBoundaries for every offset, never by Qt 6.4's own
// answers, which can loop for good (see there). Its one run of text attributes covers the
// text.
class PlaylistTextAccessible : public QAccessibleWidget,
                               public QAccessibleTextInterface,
                               public QAccessibleEditableTextInterface
{
public:
    explicit PlaylistTextAccessible(QPlainTextEdit* edit);

    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString& text) override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
        int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
        int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
        int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

private:
    QPlainTextEdit* edit() const;
    // An offset as asked (-1 the end, -2 the caret) as a position in the text.
    int resolved(int offset) const;
    int clamped(int offset) const;
    // The text with the offsets where its shown lines start.
    TextBoundaries boundaries() const;
    // Replaces [start, end) as one step of the box's undo, unless the box is read-only.
    void change(int startOffset, int endOffset, const QString& text);
};
