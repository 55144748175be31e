// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "pressaccessible.h"

#include <QMetaObject>
#include <QPointer>
#include <QWidget>

PressAccessible::PressAccessible(QWidget* widget, QAccessible::Role role, std::function<void(QWidget*)> press)
    : QAccessibleWidget(widget, role), m_press(std::move(press))
{ }

QStringList PressAccessible::actionNames() const { return {pressAction()}; }

void PressAccessible::doAction(const QString& actionName)
{
    if (actionName != pressAction())
        return;
    const QPointer<QWidget> target = widget();
    QMetaObject::invokeMethod(
        target.data(),
        [target, press = m_press] {
            if (target)
                press(target);
        },
        Qt::QueuedConnection);
}

QStringList PressAccessible::keyBindingsForAction(const QString&) const { return {}; }
