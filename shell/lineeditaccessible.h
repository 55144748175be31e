// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "textboxaccessible.h"

class QLineEdit;

// A single-line text box as assistive technology sees it: an editable text with the same
// name, role, state, text and editing as Qt gives a QLineEdit, whose text around an offset
// is TextBoxAccessible's; a box that hides what is typed tells none of it. Assistive
// technology hears of the focus before the box's caret moves on getting it, so that a
// screen reader announces the box when Tab enters it.
class LineEditAccessible : public TextBoxAccessible
{
public:
    explicit LineEditAccessible(QLineEdit* lineEdit);

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
    QLineEdit* lineEdit() const;
    // None where the box hides what is typed.
    bool readable() const override;
    TextBoundaries boundaries() const override;
    // Not in a read-only box, and only what its validator accepts.
    void change(int startOffset, int endOffset, const QString& text) override;
};
