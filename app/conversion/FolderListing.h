#pragma once

#include <QList>
#include <QString>
#include <sys/types.h>

// The entries of one folder, read once through its own descriptor so the
// walk never depends on the process's current folder.
class FolderListing {
public:
    // Unreadable: a folder of the walk that cannot be listed.
    enum class Kind { File, Folder, Other, Missing, Unreadable };
    struct Entry {
        QString name;
        Kind kind;
    };

    // Reads the folder; false when it cannot be opened or read (gone, not a
    // folder, no permission), with nothing listed.
    bool read(const QString& folder);
    // Why the last read failed (an errno value), 0 after one that did not.
    int error() const { return m_error; }

    const QList<Entry>& entries() const { return m_entries; }
    // Identity of the folder read (symbolic links followed), to tell when
    // two paths reach the same folder.
    dev_t device() const { return m_device; }
    ino_t inode() const { return m_inode; }
    // The folder lies on a file system of the kernel's (proc, sysfs, ...).
    bool onPseudoFileSystem() const { return m_pseudo; }

    // Hidden entries are the ones whose name begins with ".".
    static bool isHidden(const QString& name) { return name.startsWith(QLatin1Char('.')); }

private:
    QList<Entry> m_entries;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    bool m_pseudo = false;
    int m_error = 0;
};
