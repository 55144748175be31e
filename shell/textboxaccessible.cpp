// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "textboxaccessible.h"

#include "textboundaries.h"

#include <QWidget>

#include <algorithm>

TextBoxAccessible::TextBoxAccessible(QWidget* box) : QAccessibleWidget(box, QAccessible::EditableText) { }

int TextBoxAccessible::resolved(int offset) const
{
    if (offset == -2)
        return cursorPosition();
    if (offset == -1)
        return characterCount();
    return offset;
}

int TextBoxAccessible::clamped(int offset) const { return std::clamp(offset, 0, characterCount()); }

void TextBoxAccessible::setText(QAccessible::Text t, const QString& text)
{
    if (t != QAccessible::Value) {
        QAccessibleWidget::setText(t, text);
        return;
    }
    change(0, characterCount(), text);
}

void* TextBoxAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (t == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

void TextBoxAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

QString TextBoxAccessible::textBeforeOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = -1;
    return readable() ? boundaries().before(resolved(offset), boundaryType, startOffset, endOffset)
                      : QString();
}

QString TextBoxAccessible::textAfterOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = -1;
    return readable() ? boundaries().after(resolved(offset), boundaryType, startOffset, endOffset)
                      : QString();
}

QString TextBoxAccessible::textAtOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = -1;
    return readable() ? boundaries().at(resolved(offset), boundaryType, startOffset, endOffset) : QString();
}

QString TextBoxAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    // One font for the whole text. The range must hold every character: a screen reader
    // reads a text run by run, and an empty run loses the character it was asked for.
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return TextBoundaries::fontAttributes(widget()->font());
}

void TextBoxAccessible::deleteText(int startOffset, int endOffset)
{
    change(startOffset, endOffset, QString());
}

void TextBoxAccessible::insertText(int offset, const QString& text) { change(offset, offset, text); }

void TextBoxAccessible::replaceText(int startOffset, int endOffset, const QString& text)
{
    change(startOffset, endOffset, text);
}
