// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "clickarea.h"

ClickArea::ClickArea(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    // No background of its own: the parent's picture shows through.
    setAutoFillBackground(false);
    setAttribute(Qt::WA_NoSystemBackground);
}

void ClickArea::mousePressEvent(QMouseEvent* event) { m_click.press(event); }

void ClickArea::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_click.release(event, *this))
        Q_EMIT Click();
}
