// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "lineeditaccessible.h"

#include "textboundaries.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QTextLayout>
#include <QValidator>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Tells assistive technology that the box has the focus before the box reacts to getting
// it. Qt tells it afterwards, and in between the box reports its caret (moved, or the text
// selected on Tab): a screen reader then takes the box as focused without a word, and the
// focus event that follows names an object it already has, so it says nothing. Qt's own
// focus event still follows, naming the same object again.
class FocusFirst : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn && QAccessible::isActive()) {
            QAccessibleEvent focus(watched, QAccessible::Focus);
            QAccessible::updateAccessibility(&focus);
        }
        return false;
    }
};

} // namespace

LineEditAccessible::LineEditAccessible(QLineEdit* lineEdit) : TextBoxAccessible(lineEdit)
{
    addControllingSignal(u"textChanged(const QString&)"_s);
    addControllingSignal(u"returnPressed()"_s);
    // Once per box: a box's interface is made again after Qt has dropped it.
    const QString filterName = u"LineEditAccessible focus first"_s;
    if (!lineEdit->findChild<QObject*>(filterName, Qt::FindDirectChildrenOnly)) {
        auto* filter = new FocusFirst(lineEdit);
        filter->setObjectName(filterName);
        lineEdit->installEventFilter(filter);
    }
}

QLineEdit* LineEditAccessible::lineEdit() const { return static_cast<QLineEdit*>(widget()); }

bool LineEditAccessible::readable() const { return lineEdit()->echoMode() == QLineEdit::Normal; }

QString LineEditAccessible::text(QAccessible::Text t) const
{
    QString str;
    if (t == QAccessible::Value) {
        if (readable())
            str = lineEdit()->text();
        else if (lineEdit()->echoMode() != QLineEdit::NoEcho)
            str = QString(lineEdit()->text().size(), u'*');
    }
    if (str.isEmpty())
        str = QAccessibleWidget::text(t);
    if (str.isEmpty() && t == QAccessible::Description)
        str = lineEdit()->placeholderText();
    return str;
}

void LineEditAccessible::change(int startOffset, int endOffset, const QString& text)
{
    if (lineEdit()->isReadOnly())
        return;
    const int start = clamped(startOffset);
    QString changed
        = lineEdit()->text().replace(start, std::clamp(endOffset, start, characterCount()) - start, text);
    int position = 0;
    if (const QValidator* validator = lineEdit()->validator();
        validator && validator->validate(changed, position) == QValidator::Invalid)
        return;
    lineEdit()->setText(changed);
}

QAccessible::State LineEditAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    state.readOnly = lineEdit()->isReadOnly();
    state.passwordEdit = !readable();
    state.selectableText = true;
    return state;
}

void LineEditAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !lineEdit()->hasSelectedText())
        return;
    *startOffset = lineEdit()->selectionStart();
    *endOffset = lineEdit()->selectionEnd();
}

int LineEditAccessible::selectionCount() const { return lineEdit()->hasSelectedText() ? 1 : 0; }

void LineEditAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        lineEdit()->deselect();
}

void LineEditAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        lineEdit()->setSelection(startOffset, endOffset - startOffset);
}

int LineEditAccessible::cursorPosition() const { return lineEdit()->cursorPosition(); }

void LineEditAccessible::setCursorPosition(int position) { lineEdit()->setCursorPosition(position); }

QString LineEditAccessible::text(int startOffset, int endOffset) const
{
    if (startOffset > endOffset || !readable())
        return {};
    return lineEdit()->text().mid(startOffset, endOffset - startOffset);
}

int LineEditAccessible::characterCount() const { return int(lineEdit()->text().size()); }

TextBoundaries LineEditAccessible::boundaries() const { return TextBoundaries(lineEdit()->text(), {0}); }

QRect LineEditAccessible::characterRect(int offset) const
{
    const QString character = text(offset, offset + 1);
    if (character.isEmpty())
        return {};
    const QFontMetrics metrics(lineEdit()->font());
    const int width = metrics.horizontalAdvance(character);
    if (width == 0)
        return {};
    // The caret's rectangle is where the box shows its text now (scrolled, within its
    // margins); another offset lies as far from it as the text's layout says.
    QTextLayout layout(lineEdit()->text(), lineEdit()->font());
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    const QRect caret = lineEdit()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const qreal shift = line.cursorToX(offset) - line.cursorToX(cursorPosition());
    const QRect rect(caret.x() + qRound(shift), caret.y(), width, caret.height());
    return QRect(lineEdit()->mapToGlobal(rect.topLeft()), rect.size());
}

int LineEditAccessible::offsetAtPoint(const QPoint& point) const
{
    return lineEdit()->cursorPositionAt(lineEdit()->mapFromGlobal(point));
}

void LineEditAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    lineEdit()->setCursorPosition(endIndex);
    lineEdit()->setCursorPosition(startIndex);
}
