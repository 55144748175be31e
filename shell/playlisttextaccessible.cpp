// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "playlisttextaccessible.h"

#include "textboundaries.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <algorithm>
#include <vector>

PlaylistTextAccessible::PlaylistTextAccessible(QPlainTextEdit* edit) : TextBoxAccessible(edit) { }

QPlainTextEdit* PlaylistTextAccessible::edit() const { return static_cast<QPlainTextEdit*>(widget()); }

QString PlaylistTextAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return edit()->toPlainText();
    return QAccessibleWidget::text(t);
}

QAccessible::State PlaylistTextAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = !edit()->isReadOnly();
    state.readOnly = edit()->isReadOnly();
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

void PlaylistTextAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    const QTextCursor cursor = edit()->textCursor();
    if (selectionIndex != 0 || !cursor.hasSelection())
        return;
    *startOffset = cursor.selectionStart();
    *endOffset = cursor.selectionEnd();
}

int PlaylistTextAccessible::selectionCount() const { return edit()->textCursor().hasSelection() ? 1 : 0; }

void PlaylistTextAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex != 0)
        return;
    QTextCursor cursor = edit()->textCursor();
    cursor.clearSelection();
    edit()->setTextCursor(cursor);
}

void PlaylistTextAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    QTextCursor cursor = edit()->textCursor();
    cursor.setPosition(clamped(startOffset));
    cursor.setPosition(clamped(endOffset), QTextCursor::KeepAnchor);
    edit()->setTextCursor(cursor);
}

int PlaylistTextAccessible::cursorPosition() const { return edit()->textCursor().position(); }

void PlaylistTextAccessible::setCursorPosition(int position)
{
    QTextCursor cursor = edit()->textCursor();
    cursor.setPosition(clamped(position));
    edit()->setTextCursor(cursor);
}

QString PlaylistTextAccessible::text(int startOffset, int endOffset) const
{
    if (startOffset > endOffset)
        return {};
    return edit()->toPlainText().mid(startOffset, endOffset - startOffset);
}

int PlaylistTextAccessible::characterCount() const
{
    // The document's count holds the paragraph separator after the last block.
    return edit()->document()->characterCount() - 1;
}

TextBoundaries PlaylistTextAccessible::boundaries() const
{
    std::vector<int> lineStarts;
    for (QTextBlock block = edit()->document()->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        if (!layout || layout->lineCount() == 0) {
            lineStarts.push_back(block.position());
            continue;
        }
        for (int i = 0; i < layout->lineCount(); ++i)
            lineStarts.push_back(block.position() + layout->lineAt(i).textStart());
    }
    return TextBoundaries(edit()->toPlainText(), std::move(lineStarts));
}

QRect PlaylistTextAccessible::characterRect(int offset) const
{
    const QString character = text(offset, offset + 1);
    if (character.isEmpty())
        return {};
    QTextCursor cursor(edit()->document());
    cursor.setPosition(offset);
    const QRect caret = edit()->cursorRect(cursor);
    const int width = character == u"\n" ? 0 : QFontMetrics(edit()->font()).horizontalAdvance(character);
    const QRect rect(caret.x(), caret.y(), width, caret.height());
    return QRect(edit()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

int PlaylistTextAccessible::offsetAtPoint(const QPoint& point) const
{
    const QPoint inside = edit()->viewport()->mapFromGlobal(point);
    if (!edit()->viewport()->rect().contains(inside))
        return -1;
    return edit()->cursorForPosition(inside).position();
}

void PlaylistTextAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    QTextCursor cursor = edit()->textCursor();
    cursor.setPosition(clamped(endIndex));
    edit()->setTextCursor(cursor);
    edit()->ensureCursorVisible();
    cursor.setPosition(clamped(startIndex));
    edit()->setTextCursor(cursor);
    edit()->ensureCursorVisible();
}

void PlaylistTextAccessible::change(int startOffset, int endOffset, const QString& text)
{
    if (edit()->isReadOnly())
        return;
    const int start = clamped(startOffset);
    QTextCursor cursor(edit()->document());
    cursor.setPosition(start);
    cursor.setPosition(std::max(start, clamped(endOffset)), QTextCursor::KeepAnchor);
    // What assistive technology types is text of its own, not part of a marked name.
    cursor.insertText(text, QTextCharFormat());
}
