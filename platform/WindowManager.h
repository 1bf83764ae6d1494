#pragma once

#include <QPoint>

class QWindow;

// Who places the application's windows: a window manager on X (if one
// runs), the compositor on Wayland. Whether the X display lacks a window
// manager. Without one, requests only a manager carries out (iconify,
// interactive move and resize) go to nobody: the window keeps its place and
// stays on the screen.
class WindowManager {
public:
    // True on X when no manager runs, or the one that announced itself has
    // gone since; false on any other platform, which handles window states
    // itself.
    static bool MissingOnX();
    // True on X with a manager running: it has the last word on the
    // window's states and the bounds that go with them.
    static bool RunningOnX();
    // True on a Wayland session: the compositor alone places windows, moves
    // and resizes them when asked, and ignores a position a client sets.
    static bool OnCompositor();
    // Who carries out an interactive move: the window manager on X (when it
    // offers moves), the compositor on Wayland, else nobody (the application
    // moves the window itself).
    enum class Mover { Nobody, Manager, Compositor };
    static Mover WhoMoves();
    // Someone other than the application places maximized windows: a window
    // manager on X, the compositor on Wayland.
    static bool PlacesWindows() { return RunningOnX() || OnCompositor(); }
    // Hands Window to the system's interactive move with the left button
    // held. On X the manager is told the move began at PressGlobal (screen
    // pixels) and moves the window by the way the pointer goes from there,
    // so the point grabbed stays under the pointer however late the move
    // begins; on Wayland the compositor takes the pointer from the press it
    // saw. False when nobody offers moves (no manager on X, no pointer on
    // Wayland, the offscreen platform): the caller moves the window itself.
    static bool StartMove(QWindow* window, QPoint pressGlobal);
};
