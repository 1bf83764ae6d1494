#pragma once

#include <QByteArray>
#include <sys/types.h>

// File systems that show the kernel's state as files (proc, sysfs, devtmpfs,
// cgroup and the like): nothing a person keeps documents in, and walking
// them reads other processes' folders or hangs on device files.
class PseudoFileSystem {
public:
    // Whether the open folder lies on one.
    static bool holds(int folderFd);
    // By the kernel's magic number, and by name where the magic is shared
    // with real file systems (devtmpfs reports tmpfs's).
    static bool isPseudoMagic(long magic);
    static bool isPseudoName(const QByteArray& fileSystem);
    // The file system type of the mount a device number belongs to, from a
    // mountinfo text ("" when not listed).
    static QByteArray typeOfDevice(const QByteArray& mountInfo, dev_t device);
    // This process's mount table (/proc/self/mountinfo).
    static QByteArray mountInfo();
};
