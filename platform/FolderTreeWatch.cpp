#include "platform/FolderTreeWatch.h"

#include "platform/LocalPath.h"
#include "platform/MountTable.h"
#include "platform/PseudoFileSystem.h"

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A file is reported when it is made, written, closed after writing, given
// a new time or moved in; a copy in pieces gives many such events, and
// the caller waits for them to stop.
constexpr uint32_t kFolderEvents = IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB |
                                   IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_ONLYDIR |
                                   IN_EXCL_UNLINK;

bool isHiddenName(const QString& name) {
    return name.startsWith(QLatin1Char('.'));
}

bool isBelow(const QString& path, const QString& folder) {
    return path == folder || (path.startsWith(folder) && path.size() > folder.size() &&
                              path.at(folder.size()) == QLatin1Char('/'));
}

} // namespace

FolderTreeWatch::FolderTreeWatch() {
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        m_error = errno;
}

FolderTreeWatch::~FolderTreeWatch() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FolderTreeWatch::watch(const QString& root, const QStringList& excluded) {
    if (m_fd < 0)
        return false;
    m_excluded = excluded;
    // The folder itself may be reached through a link, as the walk reaches
    // it; nothing below it is.
    addTree(root, 0);
    return true;
}

bool FolderTreeWatch::excluded(const QString& path) const {
    for (const QString& folder : m_excluded)
        if (isBelow(path, folder))
            return true;
    return false;
}

void FolderTreeWatch::addTree(const QString& folder, uint32_t follow) {
    if (excluded(folder))
        return;
    const QByteArray native = LocalPath::toNative(folder);
    const int wd = ::inotify_add_watch(m_fd, native.constData(), kFolderEvents | follow);
    if (wd < 0 && errno == ENOSPC) {
        // Out of watches: the folders below are counted, not watched.
        ++m_unwatched;
        m_error = ENOSPC;
    } else if (wd < 0 || m_paths.value(wd) == folder) {
        // A folder gone or closed to us meanwhile is the walk's to report;
        // one reached again keeps its watch.
        return;
    } else {
        m_paths.insert(wd, folder);
    }
    DIR* dir = ::opendir(native.constData());
    if (!dir)
        return;
    const int fd = ::dirfd(dir);
    QStringList subfolders;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = LocalPath::fromNative(QByteArray(entry->d_name));
        if (isHiddenName(name))
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            isFolder = ::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                       S_ISDIR(info.st_mode);
        }
        if (isFolder)
            subfolders.append(folder + QLatin1Char('/') + name);
    }
    ::closedir(dir);
    for (const QString& subfolder : subfolders)
        addTree(subfolder);
}

void FolderTreeWatch::forgetTree(const QString& folder) {
    for (auto it = m_paths.begin(); it != m_paths.end();) {
        if (isBelow(it.value(), folder)) {
            ::inotify_rm_watch(m_fd, it.key());
            it = m_paths.erase(it);
        } else {
            ++it;
        }
    }
}

QList<FolderTreeWatch::Event> FolderTreeWatch::read() {
    QList<Event> events;
    if (m_fd < 0)
        return events;
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                events.append({Event::Kind::Overflow, QString()});
                continue;
            }
            if (event->mask & IN_IGNORED) {
                m_paths.remove(event->wd);
                continue;
            }
            const auto folder = m_paths.constFind(event->wd);
            if (folder == m_paths.constEnd() || event->len == 0)
                continue;
            const QString name = LocalPath::fromNative(QByteArray(event->name));
            const QString path = folder.value() + QLatin1Char('/') + name;
            if (event->mask & IN_ISDIR) {
                if (isHiddenName(name) || excluded(path))
                    continue;
                if (event->mask & (IN_CREATE | IN_MOVED_TO)) {
                    addTree(path);
                    events.append({Event::Kind::FolderAdded, path});
                } else if (event->mask & (IN_DELETE | IN_MOVED_FROM)) {
                    // A folder moved elsewhere in the tree comes back as
                    // added, under its new name.
                    forgetTree(path);
                    events.append({Event::Kind::FolderGone, path});
                }
                continue;
            }
            events.append({(event->mask & (IN_DELETE | IN_MOVED_FROM)) ? Event::Kind::Gone
                                                                       : Event::Kind::Written,
                           path});
        }
    }
    return events;
}

QString FolderTreeWatch::fileSystemOf(const QString& path) {
    struct stat info {};
    if (::stat(LocalPath::toNative(path).constData(), &info) != 0)
        return QString();
    return QString::fromUtf8(
        PseudoFileSystem::typeOfDevice(PseudoFileSystem::mountInfo(), info.st_dev));
}

bool FolderTreeWatch::changesUnseenOn(const QString& fileSystem) {
    return MountTable::isNetworkFileSystem(fileSystem) ||
           fileSystem.startsWith(QLatin1String("fuse"));
}
