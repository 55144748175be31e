// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "clickarea.h"

#include <QAccessible>
#include <QAccessibleWidget>

using namespace Qt::StringLiterals;

namespace {

// What assistive technology sees of a click area: a button whose one action, press,
// clicks it the way the mouse does. The action has no key binding, so the keyboard still
// cannot click it.
//
// The click runs after the action returns, from the event loop: a click may show a modal
// message box, and run inside the call it would hold the caller (a screen reader, voice
// control) until the box is closed.
class ClickAreaAccessible : public QAccessibleWidget
{
public:
    explicit ClickAreaAccessible(ClickArea* area)
        : QAccessibleWidget(area, QAccessible::Button)
    {
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& actionName) override
    {
        if (actionName != pressAction())
            return;
        auto* area = static_cast<ClickArea*>(widget());
        QMetaObject::invokeMethod(area, [area] { Q_EMIT area->Click(); }, Qt::QueuedConnection);
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* clickAreaAccessible(const QString& className, QObject* object)
{
    if (className == u"ClickArea"_s && object && object->isWidgetType())
        return new ClickAreaAccessible(static_cast<ClickArea*>(object));
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
