// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "windowframe.h"

#include <QWidget>

namespace WindowFrame {

// Window systems that tell the frame only once the window is shown.
QMargins expectedMargins(QWidget& window)
{
    const QRect outer = window.frameGeometry(), inner = window.geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
        outer.bottom() - inner.bottom());
}

} // namespace WindowFrame
