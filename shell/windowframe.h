// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QMargins>

class QWidget;

// The frame (borders and title bar) that the window system puts around a top-level window.
namespace WindowFrame {

// The frame `window` has or will get, in the window's own pixels, as far as it can be
// learnt without showing the window: once shown, what the window system reported; before
// that, what a window manager that can tell in advance answers for it (this may create the
// window's native handle and wait briefly for the answer). Empty when the window has no
// frame, no window manager runs, or it cannot tell.
QMargins expectedMargins(QWidget& window);

} // namespace WindowFrame
