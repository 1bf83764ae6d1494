#include "platform/MountTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace {

const QStringList kPseudoFileSystems = {
    "proc",       "sysfs",      "devtmpfs",     "devpts",  "cgroup",      "cgroup2",
    "securityfs", "debugfs",    "tracefs",      "pstore",  "bpf",         "autofs",
    "mqueue",     "hugetlbfs",  "configfs",     "fusectl", "binfmt_misc", "nsfs",
    "efivarfs",   "rpc_pipefs", "squashfs",     "ramfs",   "fuse.portal", "fuse.gvfsd-fuse",
    "selinuxfs",  "devfs",      "overlay.lower"};

const QStringList kNetworkFileSystems = {"nfs",       "nfs4",        "cifs",  "smb3",       "smbfs",
                                         "9p",        "fuse.sshfs",  "ncpfs", "afs",        "ceph",
                                         "glusterfs", "fuse.rclone", "davfs", "fuse.davfs2"};

// Mount points under these belong to the system, not to the user's files.
const QStringList kSystemRoots = {"/proc", "/sys",     "/dev",      "/run",          "/snap",
                                  "/boot", "/var/lib", "/var/snap", "/tmp/.X11-unix"};

bool under(const QString& path, const QString& root) {
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

bool isUserMediaPath(const QString& path) {
    return under(path, "/media") || under(path, "/run/media") || under(path, "/mnt");
}

} // namespace

std::optional<MountTable::Kind> MountTable::classify(const RawMount& mount) {
    const QString fs = mount.fileSystem.toLower();
    if (kPseudoFileSystems.contains(fs))
        return std::nullopt;
    const bool userMedia = isUserMediaPath(mount.mountPoint);
    if (!userMedia) {
        for (const QString& root : kSystemRoots)
            if (under(mount.mountPoint, root))
                return std::nullopt;
    }
    if (isNetworkFileSystem(fs))
        return Kind::Network;
    if (fs == QLatin1String("iso9660") || fs == QLatin1String("udf"))
        return Kind::CdRom;
    if (fs == QLatin1String("tmpfs"))
        // /tmp and RAM disks the user mounted are worth listing; /dev/shm and
        // /run were excluded above.
        return Kind::Ram;
    if (mount.removable)
        return Kind::Removable;
    return Kind::Fixed;
}

bool MountTable::isNetworkFileSystem(const QString& fileSystem) {
    return kNetworkFileSystems.contains(fileSystem.toLower());
}

QString MountTable::itemText(const Drive& drive) {
    switch (drive.kind) {
    case Kind::Removable:
        return drive.mountPoint;
    case Kind::Network:
        return QStringLiteral("%1 %2").arg(drive.mountPoint,
                                           drive.device.isEmpty()
                                               ? QStringLiteral("[%1]").arg(drive.label.toLower())
                                               : drive.device.toLower());
    default:
        return QStringLiteral("%1 [%2]").arg(drive.mountPoint, drive.label.toLower());
    }
}

QList<MountTable::Drive> MountTable::fromRawMounts(const QList<RawMount>& mounts) {
    QList<Drive> drives;
    for (const RawMount& raw : mounts) {
        const auto kind = classify(raw);
        auto same = std::find_if(drives.begin(), drives.end(),
                                 [&](const Drive& d) { return d.mountPoint == raw.mountPoint; });
        if (!kind) {
            // A pseudo file system mounted over a listed point hides it.
            if (same != drives.end())
                drives.erase(same);
            continue;
        }
        Drive drive{raw.mountPoint, raw.label, raw.device, raw.fileSystem, *kind};
        if (same != drives.end())
            *same = drive;
        else
            drives.append(drive);
    }
    std::sort(drives.begin(), drives.end(),
              [](const Drive& a, const Drive& b) { return a.mountPoint < b.mountPoint; });
    return drives;
}

bool MountTable::isRemovableDevice(const QString& device) {
    if (!device.startsWith(QLatin1String("/dev/")))
        return false;
    // /sys/class/block/<partition>/.. is the whole disk, which carries the flag.
    const QString name = QFileInfo(QFileInfo(device).canonicalFilePath()).fileName();
    if (name.isEmpty())
        return false;
    QString disk = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    for (int hops = 0; hops < 2 && !disk.isEmpty(); ++hops) {
        QFile flag(disk + QStringLiteral("/removable"));
        if (flag.open(QIODevice::ReadOnly))
            return flag.readAll().trimmed() == "1";
        disk = QFileInfo(disk).path();
    }
    return false;
}

QList<MountTable::Drive> MountTable::mountedDrives() {
    QList<RawMount> raw;
    for (const QStorageInfo& info : QStorageInfo::mountedVolumes()) {
        const QString device = QString::fromLocal8Bit(info.device());
        raw.append({info.rootPath(), device, QString::fromLatin1(info.fileSystemType()),
                    info.name(), isRemovableDevice(device)});
    }
    if (raw.isEmpty())
        raw.append({QStringLiteral("/"), QString(), QString(), QString(), false});
    return fromRawMounts(raw);
}

QString MountTable::driveOf(const QString& path, const QList<Drive>& drives) {
    // The deepest mount point holding the path; the root holds everything.
    QString best = QStringLiteral("/");
    for (const Drive& d : drives)
        if (d.mountPoint.size() > best.size() && under(path, d.mountPoint))
            best = d.mountPoint;
    return best;
}

QString MountTable::iconName(Kind kind) {
    switch (kind) {
    case Kind::Removable:
        return QStringLiteral("FLOPPY");
    case Kind::Fixed:
        return QStringLiteral("HARD");
    case Kind::Network:
        return QStringLiteral("NETWORK");
    case Kind::CdRom:
        return QStringLiteral("CDROM");
    case Kind::Ram:
        return QStringLiteral("RAM");
    }
    return QStringLiteral("HARD");
}
