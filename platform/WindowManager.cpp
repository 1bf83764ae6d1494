#include "platform/WindowManager.h"

#include <QGuiApplication>
#include <QWindow>
#include <cstring>
#include <optional>
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

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// Whether the manager lists Atom among what it supports.
bool managerSupports(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t atom) {
    const xcb_atom_t supported = atomNamed(connection, "_NET_SUPPORTED");
    if (supported == XCB_ATOM_NONE || atom == XCB_ATOM_NONE)
        return false;
    bool found = false;
    for (uint32_t offset = 0;; offset += 1024) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, root, supported, XCB_ATOM_ATOM, offset, 1024), nullptr);
        if (!reply || reply->type != XCB_ATOM_ATOM || reply->format != 32) {
            free(reply);
            return found;
        }
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / 4;
        for (int i = 0; i < count && !found; ++i)
            found = atoms[i] == atom;
        const bool more = reply->bytes_after > 0;
        free(reply);
        if (found || !more)
            return found;
    }
}

// Whether a manager runs; nothing off X.
std::optional<bool> managerOnX() {
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return std::nullopt;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t check = atomNamed(connection, "_NET_SUPPORTING_WM_CHECK");
    if (!screen || check == XCB_ATOM_NONE)
        return false;
    // A manager names a window of its own on the root window, and that
    // window names itself: a name left behind by a manager that has ended
    // points at a window that is gone.
    const xcb_window_t own = checkWindowOf(connection, screen->root, check);
    return own != XCB_WINDOW_NONE && checkWindowOf(connection, own, check) == own;
}

} // namespace

bool WindowManager::MissingOnX() {
    const std::optional<bool> present = managerOnX();
    return present && !*present;
}

bool WindowManager::RunningOnX() {
    return managerOnX().value_or(false);
}

bool WindowManager::OnCompositor() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

WindowManager::Mover WindowManager::WhoMoves() {
    if (OnCompositor())
        return Mover::Compositor;
    xcb_connection_t* connection = x11Connection();
    if (!connection || !RunningOnX())
        return Mover::Nobody;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t moveResize = atomNamed(connection, "_NET_WM_MOVERESIZE");
    return screen && managerSupports(connection, screen->root, moveResize) ? Mover::Manager
                                                                           : Mover::Nobody;
}

bool WindowManager::StartMove(QWindow* window, QPoint pressGlobal) {
    if (!window)
        return false;
    const Mover mover = WhoMoves();
    if (mover == Mover::Compositor)
        return window->startSystemMove();
    if (mover != Mover::Manager)
        return false;
    xcb_connection_t* connection = x11Connection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t moveResize = atomNamed(connection, "_NET_WM_MOVERESIZE");
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window->winId());
    message.type = moveResize;
    message.data.data32[0] = uint32_t(pressGlobal.x());
    message.data.data32[1] = uint32_t(pressGlobal.y());
    message.data.data32[2] = 8; // _NET_WM_MOVERESIZE_MOVE
    message.data.data32[3] = XCB_BUTTON_INDEX_1;
    message.data.data32[4] = 1; // a normal application
    // The manager grabs the pointer for the move: the application's own
    // grab from the press must go first.
    xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
    return true;
}
