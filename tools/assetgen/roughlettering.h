// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>

// Light capital lettering with a worn, stencilled look, drawn from a small stroke alphabet
// (no system font is used, so the pictures do not depend on what fonts a machine has).
// The ink never leaves the given box; the wear comes from a seeded noise, so the same
// seed gives the same pixels.
class RoughLettering
{
public:
    struct Style {
        QColor ink = QColor(236, 232, 220);
        double penWidth = 2.0;   // in pixels
        double wear = 0.22;      // share of the ink that patches of wear take away
        double maxStretch = 1.2; // widest a letter may be drawn, relative to its design
        int scratches = 1;       // thin scratches across the word
    };

    // Letters supported: A C E F I K L M N O P R S T U V X Y, 3 and the space.
    static bool supports(QChar c);

    // Paints `text` so that its letters fill `box` (inclusive rectangle in the target's
    // logical pixels) from the left edge to the right edge and from the top row to the
    // bottom row, spreading the letters apart when the box is wider than they need. A
    // target with a device pixel ratio of 2 gets the same lettering at twice the detail.
    static void paint(
        QImage& target, const QString& text, const QRect& box, const Style& style, std::uint32_t seed);
};
