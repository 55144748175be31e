// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "mouseclick.h"

#include <QMouseEvent>
#include <QWidget>

void MouseClick::press(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

bool MouseClick::release(QMouseEvent* event, const QWidget& over)
{
    const bool click
        = m_pressed && event->button() == Qt::LeftButton && over.rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    return click;
}
