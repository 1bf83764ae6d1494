#pragma once

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
};
