#include "app/controls/TDriveComboBox.h"

#include <QAbstractItemView>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QList<MountTable::Drive> threeDrives() {
    return {{"/", "", "/dev/sda1", "ext4", MountTable::Kind::Fixed},
            {"/media/stick", "STICK", "/dev/sdb1", "vfat", MountTable::Kind::Removable},
            {"/srv/share", "", "host:/export", "nfs4", MountTable::Kind::Network}};
}

} // namespace

TEST(TDriveComboBox, ChoosingAnotherDriveFiresOnceAndTheChosenOneNever) {
    TDriveComboBox combo;
    combo.setDrives(threeDrives());
    combo.setDrive("/");
    QSignalSpy changes(&combo, &TDriveComboBox::OnChange);
    // As the user picks from the list.
    combo.setCurrentIndex(1);
    EXPECT_EQ(combo.drive(), "/media/stick");
    EXPECT_EQ(changes.count(), 1);
    combo.setDrive("/media/stick");
    EXPECT_EQ(changes.count(), 1);
    // Picking the chosen drive again from the open list.
    combo.show();
    combo.showPopup();
    QAbstractItemView* list = combo.view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(combo.model()->index(1, 0)).center());
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(changes.count(), 1);
    combo.setDrive("/srv/share");
    EXPECT_EQ(changes.count(), 2);
    // An unknown mount point selects nothing else.
    combo.setDrive("/nowhere");
    EXPECT_EQ(combo.drive(), "/srv/share");
    EXPECT_EQ(changes.count(), 2);
}

TEST(TDriveComboBox, ARefreshedListKeepsTheChosenDriveWithoutFiring) {
    TDriveComboBox combo;
    combo.setDrives(threeDrives());
    combo.setDrive("/srv/share");
    QSignalSpy changes(&combo, &TDriveComboBox::OnChange);
    QList<MountTable::Drive> fewer = threeDrives();
    fewer.removeAt(1);
    combo.setDrives(fewer);
    EXPECT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.drive(), "/srv/share");
    EXPECT_EQ(combo.currentText(), MountTable::itemText(fewer[1]));
    EXPECT_EQ(changes.count(), 0);
}
