#pragma once

#include "app/conversion/ArchiveNames.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// What a watcher is doing, as a small JSON file a monitoring check can
// read: whether it is idle or converting, what is queued and converting,
// how many decks converted, failed and were removed, what failed last and
// when, and how it sees changes. It lives in a hidden folder of the output
// folder, which no index lists, and is replaced in one rename, so a reader
// sees it whole.
class WatchStatus {
public:
    // The default file below the output folder: .deckvane-watch/<host>.json,
    // one per machine watching into it.
    static QString defaultFile();
    static constexpr const char* kFolder = ArchiveNames::kWatchStatus;

    QString state = QStringLiteral("starting"); // starting, idle, converting, stopped
    QString folder;
    QString outputFolder;
    QString changesSeenBy; // "inotify", "inotify and a rescan every 60 s", ...
    int unwatchedFolders = 0;
    int queued = 0;
    QStringList queuedDecks; // some of them
    QStringList converting;
    bool officesRunning = false;
    int converted = 0;
    int failed = 0;
    int removed = 0;
    QString lastConverted;
    QDateTime lastConvertedAt;
    QString lastFailure;
    QString lastFailureText;
    QDateTime lastFailureAt;
    QDateTime started = QDateTime::currentDateTimeUtc();

    // The file's text, saying it was updated then.
    QByteArray render(const QDateTime& updated) const;
    // Writes the file (a path below folder) beside itself and renames it
    // into place; the folders below folder are made, and never followed as
    // links. FileError when it cannot be written.
    void write(const QString& folder, const QString& file) const;
};
