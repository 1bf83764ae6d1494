#include "app/automation/SofficeProcess.h"

#include "app/automation/AutomationError.h"
#include "platform/LocalPath.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

SofficeProcess::~SofficeProcess() {
    kill();
}

void SofficeProcess::start(const QString& program, const QStringList& arguments) {
    kill();
    std::vector<QByteArray> storage;
    storage.push_back(LocalPath::toNative(program));
    for (const QString& argument : arguments)
        storage.push_back(LocalPath::toNative(argument));
    std::vector<char*> argv;
    for (QByteArray& item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                              POSIX_SPAWN_SETSIGMASK);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        throw AutomationError(QStringLiteral("Could not start %1: %2")
                                  .arg(program, QString::fromLocal8Bit(std::strerror(error))));
    std::lock_guard lock(mutex_);
    pid_ = pid;
    reaped_ = false;
}

bool SofficeProcess::started() const {
    return pid_ != 0;
}

bool SofficeProcess::running() {
    std::lock_guard lock(mutex_);
    return !reaped_ && !exitedLocked();
}

bool SofficeProcess::waitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (reaped_ || exitedLocked()) {
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
    std::lock_guard lock(mutex_);
    reapLocked();
}

// The group id stays reserved while the leader is unreaped (even as a
// zombie), so signalling the group before reaping can never hit a stranger.
void SofficeProcess::reapLocked() {
    if (reaped_)
        return;
    ::killpg(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
}

bool SofficeProcess::exitedLocked() {
    siginfo_t info{};
    if (::waitid(P_PID, id_t(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return true;
    return info.si_pid == pid_;
}
