#pragma once

#include "platform/MountTable.h"

#include <QHash>
#include <QListWidget>
#include <optional>

// The folder list: the path from the root down to the current folder, then
// the current folder's subfolders. Double click or Enter opens a folder; a
// single click only highlights it.
class TDirectoryListBox : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QString Directory READ directory WRITE setDirectory)
    Q_PROPERTY(int ItemHeight READ itemHeight WRITE setItemHeight)
public:
    enum class Icon { OpenFolder, CurrentFolder, ClosedFolder };
    struct Entry {
        QString name;
        QString path;
        int level = 0;
        Icon icon = Icon::ClosedFolder;
        bool operator==(const Entry&) const = default;
    };
    static constexpr int kIndent = 4;

    explicit TDirectoryListBox(QWidget* parent = nullptr);

    // The rows for `directory` (absolute, "/"-separated) and its sorted,
    // visible subfolders.
    static QList<Entry> entriesFor(const QString& directory, const QStringList& subfolders);
    // The subfolders a person would see: no hidden ones, sorted by name.
    static QStringList visibleSubfolders(const QString& directory);

    QString directory() const { return m_directory; }
    // Makes `path` current (also the process's current folder) and rebuilds
    // the list; a path that is not an enterable folder changes nothing and
    // returns false.
    bool setDirectory(const QString& path);

    // The mount point the current folder lies on. Setting another one moves
    // to the folder last current on it (its root the first time); the same
    // one changes nothing.
    QString drive() const;
    void setDrive(const QString& mountPoint);
    // The drives the folders lie on: the mounted ones unless given here
    // (tests, with folders standing in for mount points).
    void setDrives(const QList<MountTable::Drive>& drives) { m_drives = drives; }

    int itemHeight() const { return m_itemHeight; }
    void setItemHeight(int height);

    const QList<Entry>& entries() const { return m_entries; }
    void openRow(int row);

signals:
    void OnChange();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void rebuild();
    QString m_directory;
    QList<Entry> m_entries;
    QHash<QString, QString> m_lastFolderOnDrive;
    std::optional<QList<MountTable::Drive>> m_drives;
    int m_itemHeight = 16;
};
