#pragma once

#include <QList>
#include <QtGlobal>
#include <sys/types.h>

// The processes of an office and their memory. An office is a launcher
// script and the process that does the work, in a process group of its own;
// in its sandbox the office runs in a session (so a group) of its own, below
// the sandbox's process in the group, and only the sum says how big it has
// grown.
class ProcessGroupMemory {
public:
    struct Process {
        pid_t pid = 0;
        unsigned long long started = 0; // since boot, in clock ticks
    };
    // The live processes of the group and every process below them,
    // whatever group they went on to.
    static QList<Process> processesOf(pid_t group);
    // Whether the process is still the one seen and is not a zombie.
    static bool alive(const Process& process);
    // Sum of the resident set sizes of processesOf(group), in bytes; -1
    // when there is none.
    static qint64 residentBytes(pid_t group);
    // One process's resident set size in bytes, -1 when it is gone.
    static qint64 processResidentBytes(pid_t pid);
};
