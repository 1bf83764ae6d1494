#include "platform/FileLock.h"

#include "platform/AnchoredFolder.h"
#include "platform/FileError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FileLock::FileLock(const AnchoredFolder& folder, const QString& name, Mode mode)
    : m_fd(folder.openAt(name, O_RDWR | O_CREAT | O_NONBLOCK, 0666)) {
    // Another user's lock file may be read-only to this one; flock() needs
    // only a descriptor.
    if (m_fd < 0 && errno == EACCES)
        m_fd = folder.openAt(name, O_RDONLY | O_NONBLOCK);
    if (m_fd < 0 && errno == ELOOP)
        throw FileError(folder.linkRefusal(name));
    if (m_fd < 0)
        return;
    const int operation = mode == Mode::Exclusive ? LOCK_EX : LOCK_SH;
    int result = 0;
    while ((result = ::flock(m_fd, operation)) != 0 && errno == EINTR) {
    }
    m_locked = result == 0;
}

FileLock::~FileLock() {
    if (m_fd >= 0)
        ::close(m_fd);
}
