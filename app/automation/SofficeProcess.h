#pragma once

#include <QByteArrayList>
#include <QStringList>
#include <chrono>
#include <mutex>
#include <sys/types.h>

// One office process started by the program, in a process group of its own
// so that everything it forks goes when it is killed. The process never
// outlives this object, nor the program: a small shell guard leads the
// group and kills it as soon as the program's end of a pipe closes, which
// the kernel does however the program ends (kill -9 included).
class SofficeProcess {
public:
    SofficeProcess() = default;
    SofficeProcess(const SofficeProcess&) = delete;
    SofficeProcess& operator=(const SofficeProcess&) = delete;
    ~SofficeProcess();

    // Starts program with the argument vector (no shell) under the guard;
    // standard output and error go to /dev/null. A descriptor given as
    // heldFd is inherited by the process group (a lock it keeps while it
    // lives). memoryLimit (bytes, 0 for none) caps the address space of
    // every process of the group, so a deck that makes the office allocate
    // without bound fails the office instead of taking the machine's memory.
    // Raises AutomationError on failure.
    void start(const QString& program, const QStringList& arguments, int heldFd = -1,
               qint64 memoryLimit = 0);

    bool started() const;
    // True while the process has not exited.
    bool running();
    // Waits for the process to exit by itself; true when it did in time.
    bool waitForExit(std::chrono::milliseconds timeout);
    // Kills the whole process group and waits until no member of it is left
    // running. Safe from any thread, and when nothing runs.
    void kill();
    pid_t groupId() const { return m_pid; }

    // The office needs a UTF-8 character locale to spell file names; when the
    // caller's locale is not a working UTF-8 one (LC_ALL=C, or a locale that
    // is not installed) the office gets C.UTF-8, which every system has.
    static QByteArrayList officeEnvironment(const QByteArrayList& environment,
                                            bool callerLocaleIsUtf8);
    // Whether the locale the environment names exists and uses UTF-8.
    static bool callerLocaleIsUtf8();

private:
    bool exitedLocked();
    void reapLocked();

    std::mutex m_mutex;
    pid_t m_pid = 0;
    bool m_reaped = true;
    int m_lifeline = -1; // our end of the guard's pipe
};
