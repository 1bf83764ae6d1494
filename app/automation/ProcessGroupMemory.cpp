#include "app/automation/ProcessGroupMemory.h"

#include <QHash>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <functional>
#include <unistd.h>

namespace {

struct Stat {
    char state = 0;
    pid_t parent = 0;
    pid_t group = 0;
    unsigned long long started = 0;
};

// /proc/<pid>/stat; the command name in brackets may hold blanks and
// brackets, so parsing starts after its last ")".
bool readStat(pid_t pid, Stat* stat) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", int(pid));
    std::FILE* file = std::fopen(path, "re");
    if (!file)
        return false;
    char buffer[1024];
    const size_t got = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    buffer[got] = '\0';
    const char* close = std::strrchr(buffer, ')');
    int parent = 0;
    int group = 0;
    // state ppid pgrp session tty_nr tpgid flags minflt cminflt majflt
    // cmajflt utime stime cutime cstime priority nice num_threads
    // itrealvalue starttime
    if (!close || std::sscanf(close + 1,
                              " %c %d %d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d "
                              "%*d %*d %*d %llu",
                              &stat->state, &parent, &group, &stat->started) != 4)
        return false;
    stat->parent = pid_t(parent);
    stat->group = pid_t(group);
    return true;
}

bool isLive(char state) {
    return state != 'Z' && state != 'X' && state != 0;
}

} // namespace

QList<ProcessGroupMemory::Process> ProcessGroupMemory::processesOf(pid_t group) {
    QList<Process> found;
    if (group <= 0)
        return found;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return found;
    QHash<pid_t, Stat> all;
    while (const dirent* entry = ::readdir(proc)) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9')
            continue;
        const pid_t pid = pid_t(std::atoi(entry->d_name));
        Stat stat;
        if (readStat(pid, &stat) && isLive(stat.state))
            all.insert(pid, stat);
    }
    ::closedir(proc);
    // A process belongs when it is in the group or below one that does.
    QHash<pid_t, bool> belongs;
    const std::function<bool(pid_t, int)> member = [&](pid_t pid, int depth) {
        if (const auto known = belongs.constFind(pid); known != belongs.cend())
            return known.value();
        const auto stat = all.constFind(pid);
        const bool result =
            stat != all.cend() &&
            (stat->group == group || (depth < 4096 && member(stat->parent, depth + 1)));
        belongs.insert(pid, result);
        return result;
    };
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        member(it.key(), 0);
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        if (belongs.value(it.key()))
            found.append({it.key(), it.value().started});
    return found;
}

bool ProcessGroupMemory::alive(const Process& process) {
    Stat stat;
    return readStat(process.pid, &stat) && isLive(stat.state) && stat.started == process.started;
}

qint64 ProcessGroupMemory::processResidentBytes(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/statm", int(pid));
    std::FILE* file = std::fopen(path, "re");
    if (!file)
        return -1;
    long size = 0;
    long resident = 0;
    const int got = std::fscanf(file, "%ld %ld", &size, &resident);
    std::fclose(file);
    return got == 2 ? qint64(resident) * ::sysconf(_SC_PAGESIZE) : -1;
}

qint64 ProcessGroupMemory::residentBytes(pid_t group) {
    qint64 total = -1;
    for (const Process& process : processesOf(group)) {
        const qint64 bytes = processResidentBytes(process.pid);
        if (bytes >= 0)
            total = std::max<qint64>(total, 0) + bytes;
    }
    return total;
}
