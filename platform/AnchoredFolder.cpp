#include "platform/AnchoredFolder.h"

#include "platform/FileError.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::atomic<bool> stepwiseOnly{false};

// A descriptor closed when it goes, keeping errno as the failure left it.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(-1); }
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd) {
        if (m_fd >= 0) {
            const int saved = errno;
            ::close(m_fd);
            errno = saved;
        }
        m_fd = fd;
    }

private:
    int m_fd;
};

// The parts of a relative path ("a//b" is "a/b"); false for an absolute
// path or one with a "." or ".." part (the empty path is the folder).
bool split(const QByteArray& path, QList<QByteArray>* parts) {
    parts->clear();
    if (path.startsWith('/'))
        return false;
    for (const QByteArray& part : path.split('/')) {
        if (part == "." || part == "..")
            return false;
        if (!part.isEmpty())
            parts->append(part);
    }
    return true;
}

bool isLink(int folder, const char* name) {
    struct stat info {};
    return ::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
}

// One part opened in the folder without following a link: ELOOP for one.
int openPart(int folder, const char* name, int flags, mode_t mode) {
    const int fd = ::openat(folder, name, flags | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0 && errno == ENOTDIR && isLink(folder, name))
        errno = ELOOP;
    return fd;
}

int openBeneath(int folder, const QByteArray& path, int flags, mode_t mode) {
    open_how how{};
    how.flags = quint64(flags | O_NOFOLLOW | O_CLOEXEC);
    how.mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? mode : 0;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    return int(::syscall(SYS_openat2, folder, path.constData(), &how, sizeof how));
}

int openStepwise(int folder, const QList<QByteArray>& parts, int flags, mode_t mode) {
    Descriptor current;
    int at = folder;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const int next = openPart(at, parts.at(i).constData(), O_PATH | O_DIRECTORY, 0);
        if (next < 0)
            return -1;
        current.reset(next);
        at = next;
    }
    return openPart(at, parts.last().constData(), flags, mode);
}

// How many parts lead to the first link on the way, 0 when there is none.
qsizetype partsToLink(int folder, const QList<QByteArray>& parts) {
    Descriptor current(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
    for (qsizetype i = 0; i < parts.size() && current.get() >= 0; ++i) {
        if (isLink(current.get(), parts.at(i).constData()))
            return i + 1;
        current.reset(::openat(current.get(), parts.at(i).constData(),
                               O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    return 0;
}

// The folder that holds the last part, and that part's name.
int openParent(const AnchoredFolder& anchor, const QByteArray& path, QByteArray* last) {
    QList<QByteArray> parts;
    if (!split(path, &parts) || parts.isEmpty()) {
        errno = EINVAL;
        return -1;
    }
    *last = parts.takeLast();
    if (parts.isEmpty())
        return ::fcntl(anchor.descriptor(), F_DUPFD_CLOEXEC, 0);
    return anchor.openAt(LocalPath::fromNative(parts.join('/')), O_PATH | O_DIRECTORY);
}

} // namespace

AnchoredFolder::AnchoredFolder(const QString& path)
    : m_fd(::open(LocalPath::toNative(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
      m_path(path) {
    if (m_fd < 0)
        fail(QStringLiteral("Cannot open the folder"), QString(), errno);
}

AnchoredFolder::AnchoredFolder(AnchoredFolder&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)) {}

AnchoredFolder& AnchoredFolder::operator=(AnchoredFolder&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

AnchoredFolder::~AnchoredFolder() {
    if (m_fd >= 0)
        ::close(m_fd);
}

QString AnchoredFolder::pathOf(const QString& relative) const {
    if (relative.isEmpty())
        return m_path;
    return m_path.endsWith(QLatin1Char('/')) ? m_path + relative
                                             : m_path + QLatin1Char('/') + relative;
}

bool AnchoredFolder::kernelResolvesBeneath() {
    static const bool available = [] {
        const int fd = openBeneath(AT_FDCWD, ".", O_PATH | O_DIRECTORY, 0);
        if (fd < 0)
            return false;
        ::close(fd);
        return true;
    }();
    return available;
}

void AnchoredFolder::setStepwise(bool stepwise) {
    stepwiseOnly = stepwise;
}

int AnchoredFolder::openAt(const QString& relative, int flags, mode_t mode) const {
    const QByteArray path = LocalPath::toNative(relative);
    QList<QByteArray> parts;
    if (!split(path, &parts)) {
        errno = EINVAL;
        return -1;
    }
    if (parts.isEmpty())
        return ::openat(m_fd, ".", (flags & ~(O_CREAT | O_EXCL | O_TRUNC)) | O_CLOEXEC);
    Descriptor fd(!stepwiseOnly && kernelResolvesBeneath()
                      ? openBeneath(m_fd, parts.join('/'), flags, mode)
                      : openStepwise(m_fd, parts, flags, mode));
    // A link where a folder is wanted says "not a folder"; it is a link.
    if (fd.get() < 0 && errno == ENOTDIR && partsToLink(m_fd, parts) > 0)
        errno = ELOOP;
    if (fd.get() < 0)
        return -1;
    // O_PATH with O_NOFOLLOW opens a link itself rather than failing.
    if (flags & O_PATH) {
        struct stat info {};
        if (::fstat(fd.get(), &info) != 0)
            return -1;
        if (S_ISLNK(info.st_mode)) {
            errno = ELOOP;
            return -1;
        }
    }
    return fd.release();
}

int AnchoredFolder::open(const QString& relative, int flags, mode_t mode) const {
    const int fd = openAt(relative, flags, mode);
    if (fd < 0)
        fail((flags & O_ACCMODE) == O_RDONLY ? QStringLiteral("Cannot read")
                                             : QStringLiteral("Cannot write"),
             relative, errno);
    return fd;
}

AnchoredFolder AnchoredFolder::folder(const QString& relative, bool create) const {
    if (!create) {
        const int fd = openAt(relative, O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            fail(QStringLiteral("Cannot open the folder"), relative, errno);
        return AnchoredFolder(fd, pathOf(relative));
    }
    QList<QByteArray> parts;
    if (!split(LocalPath::toNative(relative), &parts))
        fail(QStringLiteral("Cannot make the folder"), relative, EINVAL);
    Descriptor current(::fcntl(m_fd, F_DUPFD_CLOEXEC, 0));
    for (const QByteArray& part : parts) {
        if (::mkdirat(current.get(), part.constData(), 0777) != 0 && errno != EEXIST)
            fail(QStringLiteral("Cannot make the folder"), relative, errno);
        const int next = openPart(current.get(), part.constData(), O_RDONLY | O_DIRECTORY, 0);
        if (next < 0)
            fail(QStringLiteral("Cannot make the folder"), relative, errno);
        current.reset(next);
    }
    return AnchoredFolder(current.release(), pathOf(relative));
}

QByteArray AnchoredFolder::read(const QString& relative, qint64 limit) const {
    Descriptor fd(open(relative, O_RDONLY | O_NONBLOCK));
    struct stat info {};
    // A pipe or a device someone put there would never end.
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        fail(QStringLiteral("Cannot read"), relative, EINVAL);
    QByteArray content;
    char buffer[65536];
    while (limit < 0 || content.size() < limit) {
        const size_t want = limit < 0
                                ? sizeof buffer
                                : size_t(std::min<qint64>(sizeof buffer, limit - content.size()));
        const ssize_t n = ::read(fd.get(), buffer, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(QStringLiteral("Cannot read"), relative, errno);
        if (n == 0)
            break;
        content.append(buffer, n);
    }
    return content;
}

namespace {
bool writeAll(int fd, const QByteArray& content) {
    qsizetype done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.constData() + done, size_t(content.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        done += n;
    }
    return true;
}
} // namespace

void AnchoredFolder::write(const QString& relative, const QByteArray& content) const {
    Descriptor fd(open(relative, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK));
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        fail(QStringLiteral("Cannot write"), relative, EINVAL);
    if (!writeAll(fd.get(), content) || ::close(fd.release()) != 0)
        fail(QStringLiteral("Cannot write"), relative, errno);
}

bool AnchoredFolder::create(const QString& relative, const QByteArray& content) const {
    Descriptor fd(openAt(relative, O_WRONLY | O_CREAT | O_EXCL, 0644));
    if (fd.get() < 0 && errno == EEXIST)
        return false;
    if (fd.get() < 0)
        fail(QStringLiteral("Cannot write"), relative, errno);
    if (!writeAll(fd.get(), content) || ::close(fd.release()) != 0)
        fail(QStringLiteral("Cannot write"), relative, errno);
    return true;
}

bool AnchoredFolder::status(const QString& relative, struct stat* info) const {
    if (relative.isEmpty())
        return ::fstat(m_fd, info) == 0;
    QByteArray last;
    const Descriptor parent(openParent(*this, LocalPath::toNative(relative), &last));
    return parent.get() >= 0 &&
           ::fstatat(parent.get(), last.constData(), info, AT_SYMLINK_NOFOLLOW) == 0;
}

bool AnchoredFolder::exists(const QString& relative) const {
    struct stat info {};
    return status(relative, &info);
}

QStringList AnchoredFolder::names(const QString& relative) const {
    const int fd = openAt(relative, O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        fail(QStringLiteral("Cannot list"), relative, errno);
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        ::close(fd);
        fail(QStringLiteral("Cannot list"), relative, error);
    }
    QStringList result;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            result.append(LocalPath::fromNative(QByteArray(entry->d_name)));
    }
    ::closedir(dir);
    return result;
}

void AnchoredFolder::rename(const QString& from, const QString& to) const {
    QByteArray fromName;
    QByteArray toName;
    const Descriptor fromParent(openParent(*this, LocalPath::toNative(from), &fromName));
    if (fromParent.get() < 0)
        fail(QStringLiteral("Cannot move"), from, errno);
    const Descriptor toParent(openParent(*this, LocalPath::toNative(to), &toName));
    if (toParent.get() < 0)
        fail(QStringLiteral("Cannot move into place"), to, errno);
    if (isLink(toParent.get(), toName.constData()))
        fail(QStringLiteral("Cannot move into place"), to, ELOOP);
    if (::renameat(fromParent.get(), fromName.constData(), toParent.get(), toName.constData()) != 0)
        fail(QStringLiteral("Cannot move into place"), to, errno);
}

void AnchoredFolder::removeTree(const QString& relative) const {
    QByteArray last;
    const Descriptor parent(openParent(*this, LocalPath::toNative(relative), &last));
    if (parent.get() >= 0)
        removeEntry(parent.get(), last.constData());
}

void AnchoredFolder::removeEntry(int parent, const char* name) {
    if (::unlinkat(parent, name, 0) == 0 || errno != EISDIR)
        return;
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        if (DIR* dir = ::fdopendir(fd)) {
            while (const dirent* entry = ::readdir(dir)) {
                if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                    removeEntry(::dirfd(dir), entry->d_name);
            }
            ::closedir(dir);
        } else {
            ::close(fd);
        }
    }
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

QString AnchoredFolder::linkRefusal(const QString& relative) const {
    QList<QByteArray> parts;
    split(LocalPath::toNative(relative), &parts);
    const qsizetype link = partsToLink(m_fd, parts);
    return QStringLiteral("'%1' is a symbolic link; links in the output folder are never followed")
        .arg(pathOf(LocalPath::fromNative(parts.mid(0, link > 0 ? link : parts.size()).join('/'))));
}

void AnchoredFolder::fail(const QString& what, const QString& relative, int error) const {
    if (error == ELOOP)
        throw FileError(linkRefusal(relative));
    throw FileError(
        QStringLiteral("%1 '%2': %3").arg(what, pathOf(relative), PosixFiles::errorText(error)));
}
