// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "maximiseguard.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

// How long the limits stay lifted when the window system does not answer a maximise
// request. Compositors answer within milliseconds; lifting them too briefly would let a
// late answer meet a fixed window again.
constexpr int kFallbackMs = 3000;

// Gives each top-level widget a guard when it is first shown.
class GuardEveryWindow : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow()
                && !widget->findChild<MaximiseGuard*>(QString(), Qt::FindDirectChildrenOnly))
                new MaximiseGuard(*widget);
        }
        return false;
    }
};

} // namespace

void MaximiseGuard::installOnApplication()
{
    static GuardEveryWindow* const filter = [] {
        auto* f = new GuardEveryWindow(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(f);
        return f;
    }();
    Q_UNUSED(filter);
}

MaximiseGuard::MaximiseGuard(QWidget& window) : QObject(&window), m_window(window)
{
    m_fallback.setSingleShot(true);
    m_fallback.setInterval(kFallbackMs);
    connect(&m_fallback, &QTimer::timeout, this, &MaximiseGuard::fixAgain);
    window.installEventFilter(this);
    watchWindowHandle();
}

void MaximiseGuard::watchWindowHandle()
{
    QWindow* handle = m_window.windowHandle();
    if (!handle || handle == m_handle)
        return;
    m_handle = handle;
    // Emitted at once when the title bar asks for a state, before the window system answers.
    connect(handle, &QWindow::windowStateChanged, this, &MaximiseGuard::stateRequested);
}

void MaximiseGuard::stateRequested(Qt::WindowState state)
{
    if (state != Qt::WindowMaximized || m_lifted || m_window.minimumSize() != m_window.maximumSize())
        return;
    m_lifted = true;
    m_size = m_window.maximumSize();
    m_window.setMinimumSize(0, 0);
    m_window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    m_fallback.start();
}

bool MaximiseGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_window)
        return false;
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::WinIdChange: watchWindowHandle(); break;
    case QEvent::Resize:
        if (m_lifted && m_window.isMaximized() && m_window.size() != m_size) {
            // Queued: the frame of the maximised size must be shown before the request to
            // leave that state, or the compositor would not answer it.
            QMetaObject::invokeMethod(this, &MaximiseGuard::leaveMaximised, Qt::QueuedConnection);
        } else if (m_lifted && !m_window.isMaximized() && m_window.size() == m_size) {
            fixAgain();
        }
        break;
    default: break;
    }
    return false;
}

void MaximiseGuard::leaveMaximised()
{
    if (!m_lifted || !m_window.isMaximized())
        return;
    m_window.repaint(); // the frame of the maximised size, committed now
    m_window.setWindowState(m_window.windowState() & ~Qt::WindowMaximized);
}

void MaximiseGuard::fixAgain()
{
    m_fallback.stop();
    m_lifted = false;
    m_window.setFixedSize(m_size);
}
