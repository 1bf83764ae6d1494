#pragma once

#include <QtGlobal>
#include <sys/types.h>

// The resident memory of a whole process group: an office is a launcher
// script and the process that does the work, and only the sum says how big
// it has grown.
class ProcessGroupMemory {
public:
    // Sum of the resident set sizes of the group's processes, in bytes;
    // -1 when no process of the group is found.
    static qint64 residentBytes(pid_t group);
    // One process's resident set size in bytes, -1 when it is gone.
    static qint64 processResidentBytes(pid_t pid);
};
