// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QRect>

// Window layouts are designed in twips (1440 to the inch); the screen has pixels. This is
// the one place where one becomes the other: 15 twips to a pixel, as at 96 dots per inch.
// High-DPI screens are left to Qt's own device-independent pixels.
namespace Twips {

inline constexpr int kPerPixel = 15;

// A control's position as designed: left, top, width and height in twips.
struct Rect {
    int left;
    int top;
    int width;
    int height;
};

// Twips to the nearest pixel, halves away from zero.
constexpr int toPixels(int twips)
{
    return twips >= 0 ? (2 * twips + kPerPixel) / (2 * kPerPixel)
                      : -((-2 * twips + kPerPixel) / (2 * kPerPixel));
}

// Each edge is rounded on its own, so that neighbouring controls that share an edge in
// twips share it in pixels too, and a control fills exactly the panel drawn for it.
constexpr QRect toPixels(const Rect& r)
{
    const int left = toPixels(r.left);
    const int top = toPixels(r.top);
    return QRect(left, top, toPixels(r.left + r.width) - left, toPixels(r.top + r.height) - top);
}

} // namespace Twips
