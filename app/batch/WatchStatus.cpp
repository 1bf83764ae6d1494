#include "app/batch/WatchStatus.h"

#include "platform/LocalPath.h"
#include "platform/StagingName.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QJsonValue when(const QDateTime& time) {
    return time.isValid() ? QJsonValue(time.toUTC().toString(Qt::ISODate)) : QJsonValue();
}

QString hostName() {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return host[0] != '\0' ? LocalPath::fromNative(QByteArray(host)) : QStringLiteral("localhost");
}

// Files a writer of this host left half-written when it was killed.
void removeLeftovers(int folder) {
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(dir))
        if (entry->d_name[0] != '.' && StagingName::ownerGone(QByteArray(entry->d_name)))
            ::unlinkat(folder, entry->d_name, 0);
    ::closedir(dir);
}

} // namespace

QString WatchStatus::defaultPath(const QString& outputFolder) {
    return outputFolder + QLatin1Char('/') + QLatin1String(kFolder) + QLatin1Char('/') +
           hostName() + QStringLiteral(".json");
}

QByteArray WatchStatus::render(const QDateTime& updated) const {
    QJsonObject object;
    object.insert(QStringLiteral("state"), state);
    object.insert(QStringLiteral("pid"), qint64(::getpid()));
    object.insert(QStringLiteral("folder"), folder);
    object.insert(QStringLiteral("output"), outputFolder);
    object.insert(QStringLiteral("started"), when(started));
    object.insert(QStringLiteral("updated"), when(updated));
    object.insert(QStringLiteral("changesSeenBy"), changesSeenBy);
    object.insert(QStringLiteral("unwatchedFolders"), unwatchedFolders);
    object.insert(QStringLiteral("queued"), queued);
    object.insert(QStringLiteral("queuedDecks"), QJsonArray::fromStringList(queuedDecks));
    object.insert(QStringLiteral("converting"), QJsonArray::fromStringList(converting));
    object.insert(QStringLiteral("officesRunning"), officesRunning);
    object.insert(QStringLiteral("converted"), converted);
    object.insert(QStringLiteral("failed"), failed);
    object.insert(QStringLiteral("removed"), removed);
    object.insert(QStringLiteral("lastConverted"),
                  lastConverted.isEmpty()
                      ? QJsonValue()
                      : QJsonObject{{QStringLiteral("deck"), lastConverted},
                                    {QStringLiteral("at"), when(lastConvertedAt)}});
    object.insert(QStringLiteral("lastFailure"),
                  lastFailure.isEmpty() ? QJsonValue()
                                        : QJsonObject{{QStringLiteral("deck"), lastFailure},
                                                      {QStringLiteral("error"), lastFailureText},
                                                      {QStringLiteral("at"), when(lastFailureAt)}});
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

bool WatchStatus::write(const QString& path) const {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QByteArray folderPath = LocalPath::toNative(slash > 0 ? path.left(slash) : "/");
    const QByteArray name = LocalPath::toNative(path.mid(slash + 1));
    ::mkdir(folderPath.constData(), 0755);
    // The output folder may be shared with people Deckvane does not trust:
    // a link put where the status goes leads nowhere.
    const int folder =
        ::open(folderPath.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return false;
    static bool cleaned = false;
    if (!cleaned) {
        removeLeftovers(folder);
        cleaned = true;
    }
    const QByteArray staged = name + '.' + StagingName::owner();
    const QByteArray content = render(QDateTime::currentDateTimeUtc());
    ::unlinkat(folder, staged.constData(), 0);
    const int fd = ::openat(folder, staged.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    bool written = fd >= 0 && ::write(fd, content.constData(), size_t(content.size())) ==
                                  ssize_t(content.size());
    if (fd >= 0)
        written = ::close(fd) == 0 && written;
    written = written && ::renameat(folder, staged.constData(), folder, name.constData()) == 0;
    if (!written)
        ::unlinkat(folder, staged.constData(), 0);
    ::close(folder);
    return written;
}
