#pragma once

#include "platform/MountTable.h"

#include <QComboBox>

// The drive selector: one item per mounted file system a person would pick.
class TDriveComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString Drive READ drive WRITE setDrive)
public:
    explicit TDriveComboBox(QWidget* parent = nullptr);

    // Replaces the list (tests, and a refresh when mounts change); keeps the
    // selected drive when it is still there, else selects the one holding
    // the process's current folder.
    void setDrives(const QList<MountTable::Drive>& drives);
    const QList<MountTable::Drive>& drives() const { return m_drives; }

    QString drive() const { return m_drive; }
    // Selecting another drive fires OnChange; the selected one fires nothing.
    void setDrive(const QString& mountPoint);

signals:
    void OnChange();

private:
    void selectIndex(int index);
    QList<MountTable::Drive> m_drives;
    QString m_drive;
    bool m_filling = false;
};
