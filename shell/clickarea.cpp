#include "clickarea.h"

#include <QAccessible>
#include <QAccessibleWidget>

using namespace Qt::StringLiterals;

namespace {

// What assistive technology sees of a click area: a button whose one action, press,
// clicks it the way the mouse does. The action has no key binding, so the keyboard still
// cannot click it.
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
        if (actionName == pressAction())
            Q_EMIT static_cast<ClickArea*>(widget())->Click();
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
