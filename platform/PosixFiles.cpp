#include "platform/PosixFiles.h"

#include "platform/AnchoredFolder.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const QString& what, const QString& path, int error) {
    throw FileError(QStringLiteral("%1 '%2': %3").arg(what, path, PosixFiles::errorText(error)));
}

} // namespace

QString PosixFiles::errorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray PosixFiles::readAll(const QString& path) {
    const int fd = ::open(LocalPath::toNative(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail(QStringLiteral("Cannot read"), path, errno);
    QByteArray content;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            fail(QStringLiteral("Cannot read"), path, error);
        }
        if (n == 0)
            break;
        content.append(buffer, n);
    }
    ::close(fd);
    return content;
}

void PosixFiles::writeAll(const QString& path, const QByteArray& content) {
    const int fd = ::open(LocalPath::toNative(path).constData(),
                          O_WRONLY | O_TRUNC | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        fail(QStringLiteral("Cannot write"), path, errno);
    qsizetype done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.constData() + done, size_t(content.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            fail(QStringLiteral("Cannot write"), path, error);
        }
        done += n;
    }
    if (::close(fd) != 0)
        fail(QStringLiteral("Cannot write"), path, errno);
}

QStringList PosixFiles::names(const QString& folder) {
    return AnchoredFolder(folder).names();
}

void PosixFiles::rename(const QString& from, const QString& to) {
    if (::rename(LocalPath::toNative(from).constData(), LocalPath::toNative(to).constData()) != 0)
        fail(QStringLiteral("Cannot move into place"), to, errno);
}

bool PosixFiles::exists(const QString& path) {
    struct stat info {};
    return ::lstat(LocalPath::toNative(path).constData(), &info) == 0;
}

void PosixFiles::removeTree(const QString& path) {
    AnchoredFolder::removeEntry(AT_FDCWD, LocalPath::toNative(path).constData());
}

bool PosixFiles::makePath(const QString& path) {
    const QByteArray native = LocalPath::toNative(path);
    struct stat info {};
    if (::stat(native.constData(), &info) == 0)
        return S_ISDIR(info.st_mode);
    for (qsizetype i = 1; i <= native.size(); ++i) {
        if (i < native.size() && native.at(i) != '/')
            continue;
        const QByteArray part = native.left(i);
        if (::mkdir(part.constData(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return ::stat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}
