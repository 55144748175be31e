// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QAccessibleWidget>

#include <functional>

// A widget as assistive technology sees it when its one action, press, does what a click
// of the mouse does. The action has no key binding, so the keyboard still cannot press it.
//
// The press runs after the action returns, from the event loop: a press may show a modal
// message box, and run inside the call it would hold the caller (a screen reader, voice
// control) until the box is closed. A widget gone meanwhile is not pressed.
class PressAccessible : public QAccessibleWidget
{
public:
    PressAccessible(QWidget* widget, QAccessible::Role role, std::function<void(QWidget*)> press);

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    std::function<void(QWidget*)> m_press;
};
