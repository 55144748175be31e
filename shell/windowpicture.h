// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QPixmap>
#include <QString>

class QPainter;

// A window's background picture, drawn unscaled at the window's top-left corner in its
// logical pixels. Beside the picture `name.png` lies `name@2x.png`, the same picture drawn
// at twice the size: a screen with more than one device pixel per logical pixel gets that
// one, sharp at 2 and smoothly resampled from it at any other ratio, never the small
// picture blown up. At a ratio of 1 the small picture is drawn pixel for pixel.
class WindowPicture
{
public:
    explicit WindowPicture(const QString& path);

    void paint(QPainter& painter);

private:
    // The picture that `paint` draws at `devicePixelRatio`, with that ratio set.
    QPixmap forRatio(qreal devicePixelRatio);

    QPixmap m_small;
    QPixmap m_double;
    QPixmap m_resampled; // m_double resampled to the last ratio other than 1 and 2
};
