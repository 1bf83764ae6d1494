#include "app/batch/WatchStatus.h"

#include "platform/AnchoredFolder.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"
#include "platform/StagingName.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

} // namespace

QString WatchStatus::defaultFile() {
    return QLatin1String(kFolder) + QLatin1Char('/') + hostName() + QStringLiteral(".json");
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

void WatchStatus::write(const QString& folder, const QString& file) const {
    const qsizetype slash = file.lastIndexOf(QLatin1Char('/'));
    const QString name = file.mid(slash + 1);
    const AnchoredFolder into =
        AnchoredFolder(folder).folder(slash < 0 ? QString() : file.left(slash), true);
    static bool cleaned = false;
    if (!cleaned) {
        // What a writer of this host left half-written when it was killed.
        for (const QString& entry : into.names())
            if (entry.startsWith(name + QLatin1Char('.')) &&
                StagingName::ownerGone(LocalPath::toNative(entry)))
                into.removeTree(entry);
        cleaned = true;
    }
    const QString staged = name + QLatin1Char('.') + QString::fromLatin1(StagingName::owner());
    into.write(staged, render(QDateTime::currentDateTimeUtc()));
    try {
        into.rename(staged, name);
    } catch (const FileError&) {
        into.removeTree(staged);
        throw;
    }
}
