// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "windowframe.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstring>
#include <memory>

// An X11 window manager draws the frame and tells its size in the window's
// _NET_FRAME_EXTENTS property, normally only once the window is mapped. Managers that list
// _NET_REQUEST_FRAME_EXTENTS in _NET_SUPPORTED fill that property in advance on request,
// which lets a window be placed by its outer rectangle before it first appears.

namespace WindowFrame {
namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

bool managerAnswersRequests(xcb_connection_t* c, xcb_window_t root, xcb_atom_t request)
{
    const xcb_atom_t supported = atom(c, "_NET_SUPPORTED");
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, supported, XCB_ATOM_ATOM, 0, 4096), nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i < count; ++i) {
        if (atoms[i] == request)
            return true;
    }
    return false;
}

// left, right, top, bottom; false while the manager has not set them.
bool readExtents(xcb_connection_t* c, xcb_window_t window, xcb_atom_t extents, QMargins& margins)
{
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16)
        return false;
    const auto* v = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
    margins = QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
    return true;
}

} // namespace

QMargins expectedMargins(QWidget& window)
{
    const QRect outer = window.frameGeometry(), inner = window.geometry();
    if (window.isVisible() || window.windowFlags().testFlag(Qt::FramelessWindowHint))
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom());

    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return {}; // another platform plugin (offscreen, Wayland): nothing to ask
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_atom_t request = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
    if (!screen || request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE
        || !managerAnswersRequests(c, screen->root, request))
        return {};

    const auto id = static_cast<xcb_window_t>(window.winId()); // creates the native window
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(c, 0, screen->root,
        XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
        reinterpret_cast<const char*>(&message));
    xcb_flush(c);

    // The manager answers within a few milliseconds; a hung one must not hold up start-up.
    QMargins margins;
    const QDeadlineTimer deadline(500);
    while (!readExtents(c, id, extents, margins)) {
        if (deadline.hasExpired())
            return {};
        QThread::msleep(2);
    }
    // The property counts the screen's pixels; the widget counts its own.
    const qreal ratio = window.devicePixelRatioF();
    return QMargins(qRound(margins.left() / ratio), qRound(margins.top() / ratio),
        qRound(margins.right() / ratio), qRound(margins.bottom() / ratio));
}

} // namespace WindowFrame
