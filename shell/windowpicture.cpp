// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "windowpicture.h"

#include <QPainter>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString doubleSizePath(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot < 0 ? path + u"@2x"_s : path.left(dot) + u"@2x"_s + path.mid(dot);
}

} // namespace

WindowPicture::WindowPicture(const QString& path) : m_small(path), m_double(doubleSizePath(path))
{
    m_small.setDevicePixelRatio(1.0);
    m_double.setDevicePixelRatio(2.0);
}

QPixmap WindowPicture::forRatio(qreal devicePixelRatio)
{
    if (devicePixelRatio <= 1.0 || m_double.isNull())
        return m_small;
    if (devicePixelRatio == 2.0)
        return m_double;
    if (m_resampled.isNull() || m_resampled.devicePixelRatio() != devicePixelRatio) {
        // Resampled once per ratio, with filtering, to exactly the device pixels the
        // picture covers, so that painting it is a plain copy.
        const QSize device(static_cast<int>(std::lround(m_small.width() * devicePixelRatio)),
            static_cast<int>(std::lround(m_small.height() * devicePixelRatio)));
        m_resampled = m_double.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_resampled.setDevicePixelRatio(devicePixelRatio);
    }
    return m_resampled;
}

void WindowPicture::paint(QPainter& painter)
{
    const QPixmap picture = forRatio(painter.device()->devicePixelRatio());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, picture.devicePixelRatio() != 1.0);
    painter.drawPixmap(0, 0, picture);
}
