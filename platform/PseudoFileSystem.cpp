#include "platform/PseudoFileSystem.h"

#include <QHash>
#include <QList>
#include <fcntl.h>
#include <linux/magic.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

QByteArray PseudoFileSystem::mountInfo() {
    QByteArray text;
    const int fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, n);
    ::close(fd);
    return text;
}

bool PseudoFileSystem::isPseudoMagic(long magic) {
    switch (magic) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case SECURITYFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case TRACEFS_MAGIC:
    case PSTOREFS_MAGIC:
    case BPF_FS_MAGIC:
    case SELINUX_MAGIC:
    case SMACK_MAGIC:
    case EFIVARFS_MAGIC:
    case 0x19800202: // mqueue
    case BINFMTFS_MAGIC:
    case NSFS_MAGIC:
    case 0x62656570: // configfs
    case 0x65735543: // fusectl
    case HUGETLBFS_MAGIC:
        return true;
    default:
        return false;
    }
}

bool PseudoFileSystem::isPseudoName(const QByteArray& fileSystem) {
    static const QList<QByteArray> names{
        "proc",       "sysfs",    "devtmpfs",    "devpts",    "cgroup",   "cgroup2",    "debugfs",
        "securityfs", "tracefs",  "pstore",      "bpf",       "configfs", "fusectl",    "mqueue",
        "hugetlbfs",  "efivarfs", "binfmt_misc", "selinuxfs", "autofs",   "rpc_pipefs", "nsfs"};
    return names.contains(fileSystem);
}

QByteArray PseudoFileSystem::typeOfDevice(const QByteArray& mountInfo, dev_t device) {
    const QByteArray wanted =
        QByteArray::number(major(device)) + ':' + QByteArray::number(minor(device));
    for (const QByteArray& line : mountInfo.split('\n')) {
        // "id parent major:minor root point options [tags] - type source ..."
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 3 || fields.at(2) != wanted)
            continue;
        const qsizetype dash = fields.indexOf("-", 6);
        if (dash >= 0 && dash + 1 < fields.size())
            return fields.at(dash + 1);
    }
    return {};
}

bool PseudoFileSystem::holds(int folderFd) {
    struct statfs system {};
    if (::fstatfs(folderFd, &system) != 0)
        return false;
    if (isPseudoMagic(long(system.f_type)))
        return true;
    if (long(system.f_type) != TMPFS_MAGIC)
        return false;
    struct stat info {};
    if (::fstat(folderFd, &info) != 0)
        return false;
    // A walk meets the same few devices over and over; the mount table is
    // read once per device.
    static std::mutex mutex;
    static QHash<dev_t, bool> known;
    std::lock_guard lock(mutex);
    const auto found = known.constFind(info.st_dev);
    if (found != known.constEnd())
        return found.value();
    const bool pseudo = isPseudoName(typeOfDevice(mountInfo(), info.st_dev));
    known.insert(info.st_dev, pseudo);
    return pseudo;
}
