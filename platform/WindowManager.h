#pragma once

#include <QPoint>

class QWindow;

// Whether the X display the application shows its windows on lacks a window
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
    // Hands Window to the manager's move with the left button held, as if
    // the move had begun at PressGlobal (screen pixels): the manager moves
    // the window by the way the pointer goes from there, so the point
    // grabbed stays under the pointer however late the move begins. False
    // off X or when no manager offers moves.
    static bool StartMove(const QWindow* window, QPoint pressGlobal);
};
