// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QPointF>
#include <QSizeF>

class QWidget;

// Routines shared between the program's windows.
namespace Module1 {

// Moves `form` so that its outer rectangle (frame and title bar included, where the window
// system has told us about them) is centred on the whole primary screen, not its work area.
// A window larger than the screen ends up with a negative left or top.
void CenterForm(QWidget& form);

// The arithmetic of CenterForm, in twips and single precision, the quotients unrounded:
// Left = (screen width - window width) / 2, Top likewise.
QPointF centredTopLeft(QSizeF screenTwips, QSizeF windowTwips);

} // namespace Module1
