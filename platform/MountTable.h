#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// The mounted file systems a person would pick a folder from: the Linux side
// of the old drive list. Pseudo file systems and system mounts are left out.
class MountTable {
public:
    enum class Kind { Removable, Fixed, Network, CdRom, Ram };

    struct Drive {
        QString mountPoint; // "/", "/home", "/media/usb"
        QString label;      // volume label, may be empty
        QString device;     // "/dev/sda1", "server:/export", "//host/share"
        QString fileSystem; // "ext4", "nfs4", "iso9660", ...
        Kind kind = Kind::Fixed;
        bool operator==(const Drive&) const = default;
    };

    struct RawMount {
        QString mountPoint;
        QString device;
        QString fileSystem;
        QString label;
        bool removable = false; // the block device reports removable media
    };

    // Decides whether a mount is listed, and as what kind; nullopt = not listed.
    static std::optional<Kind> classify(const RawMount& mount);

    // The list item text: the mount point alone for removable media, else the
    // mount point, a blank and the bracketed label (the remote share name for
    // network mounts).
    static QString itemText(const Drive& drive);

    // Drives from raw mounts: classified, later duplicates of a mount point
    // dropped (the last mount on a point is the one in effect), sorted by path.
    static QList<Drive> fromRawMounts(const QList<RawMount>& mounts);

    // A file system reached over the network ("nfs4", "cifs", ...).
    static bool isNetworkFileSystem(const QString& fileSystem);

    // The drives of this machine now.
    static QList<Drive> mountedDrives();

    // The mount point among `drives` that holds `path` (longest prefix);
    // "/" when none matches.
    static QString driveOf(const QString& path, const QList<Drive>& drives);

    // The icon resource name for a kind: FLOPPY, HARD, NETWORK, CDROM, RAM.
    static QString iconName(Kind kind);

private:
    static bool isRemovableDevice(const QString& device);
};
