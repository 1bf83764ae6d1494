#include "app/automation/ProcessGroupMemory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <unistd.h>

namespace {

// The process group from /proc/<pid>/stat; the command name in brackets may
// hold blanks and brackets, so parsing starts after its last ")".
pid_t groupOf(const char* pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%s/stat", pid);
    std::FILE* file = std::fopen(path, "re");
    if (!file)
        return -1;
    char buffer[1024];
    const size_t got = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    buffer[got] = '\0';
    const char* close = std::strrchr(buffer, ')');
    if (!close)
        return -1;
    char state = 0;
    int parent = 0;
    int group = 0;
    if (std::sscanf(close + 1, " %c %d %d", &state, &parent, &group) != 3)
        return -1;
    return group;
}

} // namespace

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
    if (group <= 0)
        return -1;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return -1;
    qint64 total = -1;
    while (const dirent* entry = ::readdir(proc)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9' || groupOf(entry->d_name) != group)
            continue;
        const qint64 bytes = processResidentBytes(pid_t(std::atoi(entry->d_name)));
        if (bytes >= 0)
            total = std::max<qint64>(total, 0) + bytes;
    }
    ::closedir(proc);
    return total;
}
