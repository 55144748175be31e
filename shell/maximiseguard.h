// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QTimer>

class QWidget;
class QWindow;

// Keeps the program's fixed-size windows (the main window, the message boxes) at their size
// when the window system maximises them.
//
// A window that offers no maximise button can still be asked to maximise: Qt's own title
// bar on Wayland compositors without server-side decorations (Qt 6.4) draws the button
// whatever the window's hints, and its click asks the compositor to maximise. The
// compositor then configures the window at the size of the screen, and requires the very
// next frame to have that size: a window that stays fixed is disconnected with a protocol
// error, which ends the program.
//
// The guard answers such a request within the protocol: when the window asks to be
// maximised it lifts the size limits, so that the maximised configuration is met with
// one frame of the configured size; after that frame it asks for the normal state again,
// and once the window is back at its size the limits are fixed again. Where the window
// system ignores the request, the limits come back after a few seconds all the same.
// A window whose size is not fixed when it asks is left alone.
class MaximiseGuard : public QObject
{
    Q_OBJECT
public:
    // Gives every top-level widget of the application a guard as it is first shown.
    static void installOnApplication();

    // Guards `window`; the guard is its child.
    explicit MaximiseGuard(QWidget& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchWindowHandle();
    void stateRequested(Qt::WindowState state);
    void leaveMaximised();
    void fixAgain();

    QWidget& m_window;
    QSize m_size;
    QPointer<QWindow> m_handle;
    QTimer m_fallback;
    bool m_lifted = false;
};
