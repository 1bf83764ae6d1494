#include "app/conversion/FolderListing.h"

#include "platform/LocalPath.h"
#include "platform/PseudoFileSystem.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
FolderListing::Kind kindOf(mode_t mode) {
    if (S_ISREG(mode))
        return FolderListing::Kind::File;
    if (S_ISDIR(mode))
        return FolderListing::Kind::Folder;
    return FolderListing::Kind::Other;
}
} // namespace

bool FolderListing::read(const QString& folder) {
    m_entries.clear();
    m_error = 0;
    const int fd = ::open(LocalPath::toNative(folder).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        m_error = errno;
        return false;
    }
    struct stat info {};
    DIR* dir = ::fstat(fd, &info) == 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        m_error = errno;
        ::close(fd);
        return false;
    }
    m_device = info.st_dev;
    m_inode = info.st_ino;
    m_pseudo = PseudoFileSystem::holds(fd);
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        Kind kind;
        switch (entry->d_type) {
        case DT_REG:
            kind = Kind::File;
            break;
        case DT_DIR:
            kind = Kind::Folder;
            break;
        case DT_LNK:
        case DT_UNKNOWN: {
            // Links are followed; a dangling one names nothing.
            struct stat target {};
            kind = ::fstatat(fd, name, &target, 0) == 0 ? kindOf(target.st_mode) : Kind::Missing;
            break;
        }
        default:
            kind = Kind::Other;
        }
        m_entries.append({LocalPath::fromNative(QByteArray(name)), kind});
    }
    ::closedir(dir);
    return true;
}
