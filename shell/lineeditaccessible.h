// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QAccessibleWidget>

class QLineEdit;
class TextBoundaries;

// A single-line text box as assistive technology sees it: an editable text with the same
// name, role, state, text and editing as Qt gives a QLineEdit, whose questions about the
// text around an offset (character, word, sentence, line, paragraph) are answered for
// every offset by TextBoundaries, never by Qt 6.4's own answers, which loop for good on
// texts such as " party.m3u" (see there). Its one run of text attributes covers the text.
// Assistive technology hears of the focus before the box's caret moves on getting it, so
// that a screen reader announces the box when Tab enters it.
class LineEditAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface
{
public:
    explicit LineEditAccessible(QLineEdit* lineEdit);

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
    QLineEdit* lineEdit() const;
    // The text a screen reader may read: none where the box hides what is typed.
    bool readable() const;
    // An offset as asked (-1 the end, -2 the caret) as a position in the text.
    int resolved(int offset) const;
    TextBoundaries boundaries() const;
    // Sets the box's text as an edit by assistive technology: not in a read-only box, and
    // only what its validator accepts.
    void edit(const QString& text);
};
