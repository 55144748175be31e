// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

class QMouseEvent;
class QWidget;

// What the platform calls a click: the left button pressed over a widget and released over
// it again. Both events are accepted; release() tells whether they made a click.
class MouseClick
{
public:
    void press(QMouseEvent* event);
    bool release(QMouseEvent* event, const QWidget& over);

private:
    bool m_pressed = false;
};
