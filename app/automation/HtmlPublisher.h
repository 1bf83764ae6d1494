#pragma once

#include "app/automation/ReaderPages.h"

#include <QHash>
#include <QString>
#include <chrono>
#include <sys/statvfs.h>

// Puts one HTML export in place atomically. The export is written into a
// private staging folder inside the output folder (same file system); only
// when it is complete are its companion files moved into "<name>_files/"
// and the page renamed over the output path. Until then a good earlier page
// of the same name stays untouched, and a failed export leaves nothing.
class HtmlPublisher {
public:
    // Raises AutomationError when the output folder cannot take files.
    explicit HtmlPublisher(QString outputPath);
    HtmlPublisher(const HtmlPublisher&) = delete;
    HtmlPublisher& operator=(const HtmlPublisher&) = delete;
    ~HtmlPublisher();

    // Where the exporter writes the page; its companions go next to it.
    QString stagingPage() const;

    // Moves the export into place; raises AutomationError on failure, leaving
    // any earlier output as it was. An export that is not complete (the page
    // or a file it links to missing, empty or cut short, as a full disk
    // leaves them: the exporter does not report short writes) fails too.
    // With a source, its note goes into the companion folder before the
    // swap, so a page never carries the note of another run's deck. The
    // reader's pages are made from the cleaned export (see ReaderPages).
    void commit(const QString& sourcePath = QString(), const ReaderPages::Export& made = {});

    // The disk of the staging folder has no room left for this process
    // (see isFull); an export that failed there failed for that.
    bool diskFull() const;
    static constexpr char kDiskFullText[] =
        "The output folder's disk is full: the page was not written";
    // Whether a file system has no block left for a writer: root may use
    // the blocks reserved for it (f_bfree), everyone else only the rest
    // (f_bavail).
    static bool isFull(const struct statvfs& disk, bool privileged);

    // A published page passes the test commit() puts an export to: the page
    // and its companion folder there, every file they link to whole.
    static bool isComplete(const QString& pagePath);

    // Kept in a page's companion folder: the deck it was made from and the
    // deck's modification time (seconds, then nanoseconds), one per line.
    static constexpr char kSourceNote[] = ".deckvane-source";
    struct SourceNote {
        QString source; // empty when the page has no note
        qint64 seconds = 0;
        qint64 nanoseconds = -1; // -1 in notes written before they were kept
    };
    static SourceNote sourceNoteOf(const QString& pagePath);
    // Held shared by readers of a folder's pages and exclusive by a swap, by
    // every process and host writing into the folder.
    static constexpr char kLockFile[] = ".deckvane.lock";

    // Removes the staging folders of every publisher alive in this process;
    // for a program ending on a signal.
    static void discardAllStaging();
    // Removes staging folders an interrupted run left in the folder: only
    // folders with the staging name, owned by this user, and either made by
    // a process of this host that is gone or untouched for longer than
    // maxAge (a live export writes into its folder all along; a process on
    // another host cannot be asked). A publisher does it for every folder
    // it is the first in this process to publish into.
    static void removeStaleStaging(const QString& folder, std::chrono::seconds maxAge);
    static constexpr std::chrono::seconds kStaleStagingAge{15 * 60};

    // "<name>_files" for an output path ".../<name>.htm".
    static QString companionFolderName(const QString& outputPath);

    // Rewrites href and src values that name a key of the map exactly (any
    // "#..." or "?..." after the name is kept) to the key's value.
    static QByteArray relink(const QByteArray& html, const QHash<QByteArray, QByteArray>& targets);

private:
    void checkComplete(const QStringList& companions) const;
    void writeSourceNote(const QString& sourcePath, const QString& folder) const;

    QString m_outputPath;
    QString m_folder;
    QString m_staging;
};
