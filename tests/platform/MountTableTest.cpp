#include "platform/MountTable.h"

#include <gtest/gtest.h>

using Kind = MountTable::Kind;
using Raw = MountTable::RawMount;

TEST(MountTable, ListsWhatAPersonWouldPickAndNothingOfTheSystem) {
    EXPECT_EQ(MountTable::classify({"/", "/dev/sda1", "ext4", "", false}), Kind::Fixed);
    EXPECT_EQ(MountTable::classify({"/home", "/dev/sda2", "btrfs", "", false}), Kind::Fixed);
    EXPECT_EQ(MountTable::classify({"/media/ann/STICK", "/dev/sdb1", "vfat", "STICK", true}),
              Kind::Removable);
    EXPECT_EQ(MountTable::classify({"/mnt/share", "srv:/export", "nfs4", "", false}),
              Kind::Network);
    EXPECT_EQ(MountTable::classify({"/mnt/win", "//srv/docs", "cifs", "", false}), Kind::Network);
    EXPECT_EQ(MountTable::classify({"/media/cd", "/dev/sr0", "iso9660", "DISC", true}),
              Kind::CdRom);
    EXPECT_EQ(MountTable::classify({"/tmp", "tmpfs", "tmpfs", "", false}), Kind::Ram);
    // System mounts and pseudo file systems are not drives.
    for (const Raw& raw :
         {Raw{"/proc", "proc", "proc", "", false}, Raw{"/sys", "sysfs", "sysfs", "", false},
          Raw{"/dev/shm", "tmpfs", "tmpfs", "", false},
          Raw{"/run/user/1000", "tmpfs", "tmpfs", "", false},
          Raw{"/boot/efi", "/dev/sda0", "vfat", "", false},
          Raw{"/snap/core/1", "/dev/loop0", "squashfs", "", false},
          Raw{"/sys/fs/cgroup", "cgroup2", "cgroup2", "", false}})
        EXPECT_FALSE(MountTable::classify(raw).has_value()) << qPrintable(raw.mountPoint);
    // Removable media auto-mounted under /run/media are the user's.
    EXPECT_EQ(MountTable::classify({"/run/media/ann/USB", "/dev/sdc1", "exfat", "USB", true}),
              Kind::Removable);
}

TEST(MountTable, ItemTextsFollowTheKind) {
    EXPECT_EQ(MountTable::itemText({"/media/usb", "STICK", "/dev/sdb1", "vfat", Kind::Removable}),
              "/media/usb");
    EXPECT_EQ(MountTable::itemText({"/", "Root Disk", "/dev/sda1", "ext4", Kind::Fixed}),
              "/ [root disk]");
    EXPECT_EQ(MountTable::itemText({"/data", "", "/dev/sda3", "ext4", Kind::Fixed}), "/data []");
    EXPECT_EQ(MountTable::itemText({"/mnt/s", "", "SRV:/Export", "nfs", Kind::Network}),
              "/mnt/s srv:/export");
    EXPECT_EQ(MountTable::itemText({"/mnt/s", "Vol", "", "nfs", Kind::Network}), "/mnt/s [vol]");
}

TEST(MountTable, LaterMountsOnAPointWinAndTheListIsSortedByPath) {
    const auto drives = MountTable::fromRawMounts({
        {"/home", "/dev/sda2", "ext4", "old", false},
        {"/", "/dev/sda1", "ext4", "", false},
        {"/proc", "proc", "proc", "", false},
        {"/home", "/dev/sdb1", "xfs", "new", false},
        {"/data", "/dev/sdc1", "ext4", "", false},
        {"/data", "none", "autofs", "", false},
    });
    ASSERT_EQ(drives.size(), 2);
    EXPECT_EQ(drives[0].mountPoint, "/");
    EXPECT_EQ(drives[1].mountPoint, "/home");
    EXPECT_EQ(drives[1].label, "new");
}

TEST(MountTable, DriveOfAPathIsTheLongestMountPointHoldingIt) {
    const QList<MountTable::Drive> drives = {
        {"/", "", "", "ext4", Kind::Fixed},
        {"/home", "", "", "ext4", Kind::Fixed},
        {"/home/ann/usb", "", "", "vfat", Kind::Removable},
    };
    EXPECT_EQ(MountTable::driveOf("/etc", drives), "/");
    EXPECT_EQ(MountTable::driveOf("/home", drives), "/home");
    EXPECT_EQ(MountTable::driveOf("/home/ann/usb/x", drives), "/home/ann/usb");
    EXPECT_EQ(MountTable::driveOf("/homework", drives), "/");
    EXPECT_EQ(MountTable::driveOf("/x", {}), "/");
}
