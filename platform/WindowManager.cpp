#include "platform/WindowManager.h"

#include <QGuiApplication>
#include <cstring>
#include <xcb/xcb.h>

namespace {

xcb_atom_t atomNamed(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return atom;
}

// The window named by Window's "check" property, or none.
xcb_window_t checkWindowOf(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t check) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
    xcb_window_t named = XCB_WINDOW_NONE;
    if (reply && reply->type == XCB_ATOM_WINDOW && reply->format == 32 &&
        xcb_get_property_value_length(reply) == 4)
        named = *static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
    free(reply);
    return named;
}

} // namespace

bool WindowManager::MissingOnX() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t check = atomNamed(connection, "_NET_SUPPORTING_WM_CHECK");
    if (!screen || check == XCB_ATOM_NONE)
        return true;
    // A manager names a window of its own on the root window, and that
    // window names itself: a name left behind by a manager that has ended
    // points at a window that is gone.
    const xcb_window_t own = checkWindowOf(connection, screen->root, check);
    return own == XCB_WINDOW_NONE || checkWindowOf(connection, own, check) != own;
}
