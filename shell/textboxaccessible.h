// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QAccessibleWidget>

class TextBoundaries;

// What the program's text boxes have in common as assistive technology sees them: an
// editable text whose questions about the text around an offset (character, word, sentence,
// line, paragraph) are answered for every offset by TextBoundaries, never by Qt 6.4's own
// answers, which can loop for good (see there); one run of text attributes covering the
// text; and edits that all come down to replacing a range. A box says how its text is
// read, shown and changed.
class TextBoxAccessible : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface
{
public:
    explicit TextBoxAccessible(QWidget* box);

    void setText(QAccessible::Text t, const QString& text) override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    // QAccessibleTextInterface
    void addSelection(int startOffset, int endOffset) override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
        int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
        int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
        int* endOffset) const override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

protected:
    // An offset as asked (-1 the end, -2 the caret) as a position in the text.
    int resolved(int offset) const;
    int clamped(int offset) const;

private:
    // The text a screen reader may read; where it may not, the text around an offset is none.
    virtual bool readable() const { return true; }
    // The text with the offsets where its shown lines start.
    virtual TextBoundaries boundaries() const = 0;
    // Replaces [start, end) of the text, offsets as asked, as an edit by assistive
    // technology: the box refuses what it would refuse from the keyboard.
    virtual void change(int startOffset, int endOffset, const QString& text) = 0;
};
