#pragma once

#include <QString>

class AnchoredFolder;

// A lock held on a lock file while the object lives: shared or exclusive,
// taken with flock() on a descriptor of its own, so threads of one process
// exclude each other as processes do, and Linux's NFS client passes it to
// the server as a lock on the whole file, so writers on other hosts take
// turns too. Where the file cannot be made or locked (a read-only folder,
// a mount without locking) nothing is held and locked() says so.
class FileLock {
public:
    enum class Mode { Shared, Exclusive };

    // The lock file named name in the folder, reached without links: a
    // link in its place raises FileError, and nothing is made through it.
    FileLock(const AnchoredFolder& folder, const QString& name, Mode mode);
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    bool locked() const { return m_locked; }

private:
    int m_fd = -1;
    bool m_locked = false;
};
