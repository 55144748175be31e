// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "mouseclick.h"

#include <QWidget>

// A transparent rectangle that reports mouse clicks and draws nothing, so that the word
// painted beneath it shows through. It never takes the keyboard focus and has no place in
// the tab order: no key can click it. Assistive technology sees it as a button whose press
// action clicks it, as the mouse does, once the action has returned.
class ClickArea : public QWidget
{
    Q_OBJECT
public:
    explicit ClickArea(QWidget* parent = nullptr);

    // Clicks the area as the mouse does (assistive technology's press action).
    void press() { Q_EMIT Click(); }

Q_SIGNALS:
    // A left button pressed and released over the area, or (from the event loop, after the
    // call) the accessible press action.
    void Click();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    MouseClick m_click;
};
