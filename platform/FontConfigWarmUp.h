#pragma once

#include <thread>

// Reads the system's font configuration on a thread of its own while the
// program starts. The first text the window measures needs it, and reading
// it (a tree of configuration files) is a good part of a start-up; done
// beside the connection to the display and the building of the window, the
// first paint finds it ready. The font library takes the configuration read
// here as its current one; whoever asks first, the other finds it loaded.
class FontConfigWarmUp {
public:
    FontConfigWarmUp();
    // Waits for the thread: it never outlives the program's own use of fonts.
    ~FontConfigWarmUp();
    FontConfigWarmUp(const FontConfigWarmUp&) = delete;
    FontConfigWarmUp& operator=(const FontConfigWarmUp&) = delete;

private:
    std::thread m_thread;
};
