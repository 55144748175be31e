// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QImage>

// The program's own pictures. Every function draws the same pixels on every run. `scale` 2
// draws the same picture at twice the size in each direction (for high-density screens,
// the "@2x" files), with the same layout in logical pixels.
namespace Pictures {

// The main window's background, 400 x 300, RGB888: the grey-to-black gradient, the three
// white rounded panels behind the list and text boxes, and the worn lettering of the
// headings and of the painted SAVE, RESET and X that the window's click areas lie over.
QImage mainBackground(int scale = 1);

// The splash picture, 300 x 150, RGB888: the title banner on a dark ground.
QImage splash(int scale = 1);

// The icon, 48 x 48 (96 x 96 at scale 2), at most 256 colours (Indexed8, colour 0 transparent).
QImage icon(int scale = 1);

// `image` (Indexed8) as a Windows icon file: one 8-bit image with its transparency mask.
QByteArray icoFile(const QImage& image);

// `image` reduced to at most 256 colours, fully transparent pixels becoming colour 0.
QImage toIndexed256(const QImage& image);

} // namespace Pictures
