#include "app/controls/TDriveComboBox.h"

#include "skin/draw/PngResource.h"

#include <QDir>
#include <QIcon>

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {
    setIconSize(QSize(16, 11));
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_filling)
            selectIndex(index);
    });
    setDrives(MountTable::mountedDrives());
}

void TDriveComboBox::setDrives(const QList<MountTable::Drive>& drives) {
    m_filling = true;
    m_drives = drives;
    clear();
    for (const MountTable::Drive& d : drives)
        addItem(
            PngResource::icon(QStringLiteral(":/icons/%1.png").arg(MountTable::iconName(d.kind))),
            MountTable::itemText(d), d.mountPoint);
    QString keep = m_drive;
    if (findData(keep) < 0)
        keep = MountTable::driveOf(QDir::currentPath(), drives);
    setCurrentIndex(findData(keep));
    m_drive = currentData().toString();
    m_filling = false;
}

void TDriveComboBox::setDrive(const QString& mountPoint) {
    const int index = findData(mountPoint);
    if (index >= 0)
        setCurrentIndex(index);
}

void TDriveComboBox::selectIndex(int index) {
    const QString chosen = itemData(index).toString();
    if (index < 0 || chosen == m_drive)
        return;
    m_drive = chosen;
    emit OnChange();
}
