#pragma once

#include <QStringList>
#include <chrono>
#include <mutex>
#include <sys/types.h>

// One office process started by the program, in a process group of its own
// so that everything it forks goes when it is killed. The process never
// outlives this object.
class SofficeProcess {
public:
    SofficeProcess() = default;
    SofficeProcess(const SofficeProcess&) = delete;
    SofficeProcess& operator=(const SofficeProcess&) = delete;
    ~SofficeProcess();

    // Starts program with the argument vector (no shell); standard output
    // and error go to /dev/null. Raises AutomationError on failure.
    void start(const QString& program, const QStringList& arguments);

    bool started() const;
    // The process (and group) id; 0 before start.
    pid_t pid();
    // True while the process has not exited.
    bool running();
    // Waits for the process to exit by itself; true when it did in time.
    bool waitForExit(std::chrono::milliseconds timeout);
    // Kills the whole process group and reaps the process. Safe from any
    // thread, and when nothing runs.
    void kill();

private:
    bool exitedLocked();
    void reapLocked();

    std::mutex mutex_;
    pid_t pid_ = 0;
    bool reaped_ = true;
};
