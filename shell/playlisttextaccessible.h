// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "textboxaccessible.h"

class QPlainTextEdit;

// The playlist box as assistive technology sees it: a multi-line editable text with the
// name, role, state, text, caret, selection and editing Qt gives a QPlainTextEdit, whose
// text around an offset is TextBoxAccessible's, by the lines as shown.
class PlaylistTextAccessible : public TextBoxAccessible
{
public:
    explicit PlaylistTextAccessible(QPlainTextEdit* edit);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;

private:
    QPlainTextEdit* edit() const;
    TextBoundaries boundaries() const override;
    // As one step of the box's undo, unless the box is read-only.
    void change(int startOffset, int endOffset, const QString& text) override;
};
