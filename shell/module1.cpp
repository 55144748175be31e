// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "module1.h"

#include "twips.h"
#include "windowframe.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace Module1 {

QPointF centredTopLeft(QSizeF screenTwips, QSizeF windowTwips)
{
    const float left
        = (static_cast<float>(screenTwips.width()) - static_cast<float>(windowTwips.width())) / 2.0f;
    const float top
        = (static_cast<float>(screenTwips.height()) - static_cast<float>(windowTwips.height())) / 2.0f;
    return QPointF(left, top);
}

void CenterForm(QWidget& form)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect screenRect = screen->geometry();
    // The outer rectangle is the client area and the frame the window manager puts around
    // it. Before the first show that frame is asked for in advance, so the window appears
    // in its place at once rather than jumping there.
    const QMargins frame = WindowFrame::expectedMargins(form);
    const QRect outer = form.geometry().marginsAdded(frame);
    const QPointF at = centredTopLeft(
        QSizeF(screenRect.width() * Twips::kPerPixel, screenRect.height() * Twips::kPerPixel),
        QSizeF(outer.width() * Twips::kPerPixel, outer.height() * Twips::kPerPixel));
    // The window system places whole pixels; a half twip or pixel is rounded away from zero.
    const auto toPixel = [](double twips) { return static_cast<int>(std::lround(twips / Twips::kPerPixel)); };
    // The client area goes inside the frame: setGeometry places a window's client area
    // whether or not its native window exists yet.
    const QPoint outerTopLeft(screenRect.left() + toPixel(at.x()), screenRect.top() + toPixel(at.y()));
    form.setGeometry(QRect(outerTopLeft + QPoint(frame.left(), frame.top()), form.size()));
}

} // namespace Module1
