// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "clickarea.h"

#include "pressaccessible.h"

#include <QAccessible>

using namespace Qt::StringLiterals;

namespace {

QAccessibleInterface* clickAreaAccessible(const QString& className, QObject* object)
{
    if (className == u"ClickArea"_s && object && object->isWidgetType())
        // A button whose press clicks it, as the mouse does.
        return new PressAccessible(static_cast<QWidget*>(object), QAccessible::Button,
                                   [](QWidget* area) { Q_EMIT static_cast<ClickArea*>(area)->Click(); });
    return nullptr;
}

} // namespace

ClickArea::ClickArea(QWidget* parent)
    : QWidget(parent)
{
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(clickAreaAccessible);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    setFocusPolicy(Qt::NoFocus);
    // No background of its own: the parent's picture shows through.
    setAutoFillBackground(false);
    setAttribute(Qt::WA_NoSystemBackground);
}

void ClickArea::mousePressEvent(QMouseEvent* event)
{
    m_click.press(event);
}

void ClickArea::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_click.release(event, *this))
        Q_EMIT Click();
}
