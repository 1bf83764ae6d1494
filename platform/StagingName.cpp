#include "platform/StagingName.h"

#include <QRegularExpression>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

QByteArray fileText(const char* path) {
    QByteArray text(256, '\0');
    std::FILE* file = std::fopen(path, "re");
    if (!file)
        return {};
    text.resize(qsizetype(std::fread(text.data(), 1, size_t(text.size()), file)));
    std::fclose(file);
    return text.trimmed();
}

QByteArray hostTag() {
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    char ns[128] = {};
    const ssize_t n = ::readlink("/proc/self/ns/pid", ns, sizeof ns - 1);
    const QByteArray identity = QByteArray(name) + '\n' +
                                fileText("/proc/sys/kernel/random/boot_id") + '\n' +
                                QByteArray(ns, n > 0 ? qsizetype(n) : 0);
    quint64 hash = 14695981039346656037ull;
    for (const char c : identity) {
        hash ^= quint8(c);
        hash *= 1099511628211ull;
    }
    return QByteArray::number(hash, 16).rightJustified(16, '0');
}

} // namespace

QByteArray StagingName::owner() {
    static const QByteArray tag = hostTag();
    return tag + '-' + QByteArray::number(qint64(::getpid()));
}

bool StagingName::ownerGone(const QByteArray& name) {
    static const QRegularExpression pattern(QStringLiteral("([0-9a-f]{16})-([0-9]+)"));
    const auto match = pattern.match(QString::fromLatin1(name));
    if (!match.hasMatch())
        return false;
    static const QByteArray tag = hostTag();
    if (match.captured(1).toLatin1() != tag)
        return false;
    bool ok = false;
    const qint64 pid = match.captured(2).toLongLong(&ok);
    if (!ok || pid <= 0 || pid == qint64(::getpid()))
        return false;
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}
