#include "app/automation/SofficeProcess.h"

#include "app/automation/AutomationError.h"
#include "app/automation/ProcessGroupMemory.h"
#include "platform/LocalPath.h"

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// The guard: limits the address space of everything it starts (its first
// argument, in KiB; 0 for no limit; a lower limit the caller already has
// stays), starts the office in the background,
// then waits for either to go. When the program's end of the pipe on
// descriptor 3 closes, or the office ends by itself, everything in the group
// is killed; the descriptor is closed for the office so only the program
// holds the pipe open.
constexpr char kGuardScript[] = "[ \"$1\" = 0 ] || ulimit -v \"$1\" 2>/dev/null || :\n"
                                "shift\n"
                                "\"$@\" 3<&- </dev/null >/dev/null 2>&1 &\n"
                                "office=$!\n"
                                "{ read -r _ <&3; kill -KILL 0; } &\n"
                                "wait \"$office\"\n"
                                "kill -KILL 0\n";

} // namespace

SofficeProcess::~SofficeProcess() {
    kill();
}

bool SofficeProcess::callerLocaleIsUtf8() {
    locale_t locale = ::newlocale(LC_CTYPE_MASK | LC_MESSAGES_MASK, "", locale_t(0));
    if (!locale)
        return false;
    const bool utf8 = std::strcmp(::nl_langinfo_l(CODESET, locale), "UTF-8") == 0;
    ::freelocale(locale);
    return utf8;
}

QByteArrayList SofficeProcess::officeEnvironment(const QByteArrayList& environment,
                                                 bool callerLocaleIsUtf8) {
    if (callerLocaleIsUtf8)
        return environment;
    QByteArrayList result;
    for (const QByteArray& item : environment) {
        if (!item.startsWith("LC_ALL=") && !item.startsWith("LC_CTYPE=") &&
            !item.startsWith("LANG=") && !item.startsWith("LC_MESSAGES="))
            result.append(item);
    }
    result.append("LC_ALL=C.UTF-8");
    return result;
}

void SofficeProcess::start(const QString& program, const QStringList& arguments, int heldFd,
                           qint64 memoryLimit) {
    kill();
    std::vector<QByteArray> storage;
    storage.push_back("/bin/sh");
    storage.push_back("-c");
    storage.push_back(kGuardScript);
    storage.push_back("deckvane-office-guard");
    storage.push_back(QByteArray::number(std::max<qint64>(0, memoryLimit) / 1024));
    storage.push_back(LocalPath::toNative(program));
    for (const QString& argument : arguments)
        storage.push_back(LocalPath::toNative(argument));
    std::vector<char*> argv;
    for (QByteArray& item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);

    QByteArrayList callerEnvironment;
    for (char** item = environ; *item; ++item)
        callerEnvironment.append(QByteArray(*item));
    QByteArrayList environment = officeEnvironment(callerEnvironment, callerLocaleIsUtf8());
    std::vector<char*> envp;
    for (QByteArray& item : environment)
        envp.push_back(item.data());
    envp.push_back(nullptr);

    // Both ends close on exec, so no other child of the program ever holds
    // the guard's pipe open; the spawn gives the read end to the guard alone.
    int lifeline[2];
    if (::pipe2(lifeline, O_CLOEXEC) != 0)
        throw AutomationError(QStringLiteral("Could not start %1: %2")
                                  .arg(program, QString::fromLocal8Bit(std::strerror(errno))));

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, lifeline[0], 3);
    if (heldFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, heldFd, 4);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                              POSIX_SPAWN_SETSIGMASK);
    pid_t pid = 0;
    const int error =
        ::access(argv[5], X_OK) == 0
            ? posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data())
            : errno;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(lifeline[0]);
    if (error != 0) {
        ::close(lifeline[1]);
        throw AutomationError(QStringLiteral("Could not start %1: %2")
                                  .arg(program, QString::fromLocal8Bit(std::strerror(error))));
    }
    std::lock_guard lock(m_mutex);
    m_pid = pid;
    m_reaped = false;
    m_lifeline = lifeline[1];
}

bool SofficeProcess::started() const {
    return m_pid != 0;
}

bool SofficeProcess::running() {
    std::lock_guard lock(m_mutex);
    return !m_reaped && !exitedLocked();
}

bool SofficeProcess::waitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_reaped || exitedLocked()) {
                // The leader is gone; take anything it left in its group along.
                reapLocked();
                return true;
            }
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void SofficeProcess::kill() {
    std::lock_guard lock(m_mutex);
    reapLocked();
}

// The group id stays reserved while the leader is unreaped (even as a
// zombie), so signalling the group before reaping can never hit a stranger.
// Members outliving the leader keep the id in use, so the signal after the
// reap still reaches only them.
void SofficeProcess::reapLocked() {
    if (m_reaped)
        return;
    // The sandboxed office runs in a session of its own, below the
    // sandbox's process: it goes with its sandbox, and is waited for too.
    const QList<ProcessGroupMemory::Process> members = ProcessGroupMemory::processesOf(m_pid);
    ::killpg(m_pid, SIGKILL);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_reaped = true;
    if (m_lifeline >= 0)
        ::close(m_lifeline);
    m_lifeline = -1;
    // A killed process takes a moment to go: wait until the office itself,
    // not only its launcher, has ended.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    const auto left = [&] {
        for (const ProcessGroupMemory::Process& member : members)
            if (ProcessGroupMemory::alive(member))
                return true;
        return !ProcessGroupMemory::processesOf(m_pid).isEmpty();
    };
    while (left() && std::chrono::steady_clock::now() < deadline) {
        ::killpg(m_pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool SofficeProcess::exitedLocked() {
    siginfo_t info{};
    if (::waitid(P_PID, id_t(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return true;
    return info.si_pid == m_pid;
}
