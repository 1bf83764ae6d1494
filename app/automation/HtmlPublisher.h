#pragma once

#include "app/automation/ReaderPages.h"
#include "platform/AnchoredFolder.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <sys/statvfs.h>

// Puts one HTML export in place atomically. The export is written into a
// private staging folder inside the output folder (same file system); only
// when it is complete are its companion files moved into "<name>_files/"
// and the page renamed over the output path. Until then a good earlier page
// of the same name stays untouched, and a failed export leaves nothing.
//
// Publishing is default-deny: the export is raw material, written by an
// office that read an untrusted deck. Only the files the export makes for
// every deck are published, each checked by its name and its content (the
// pages, cleaned; the slide pictures and thumbnails, pictures by their first
// bytes). Anything else the export copied beside them (a sound, a linked
// file, a picture of a kind no page shows) is left out, and links to it
// are taken out of the pages.
//
// Every folder on the way is reached from the output folder's descriptor,
// never through a symbolic link; a link where the page, its companion
// folder or the lock file belongs is refused, with a message naming it.
class HtmlPublisher {
public:
    // Publishes to outputPath, its own folder taken as it is.
    explicit HtmlPublisher(QString outputPath);
    // Publishes to relativePage below outputRoot: the folders between are
    // reached from the root without links (and made where missing).
    HtmlPublisher(const QString& outputRoot, const QString& relativePage);
    HtmlPublisher(const HtmlPublisher&) = delete;
    HtmlPublisher& operator=(const HtmlPublisher&) = delete;
    ~HtmlPublisher();

    // Where the exporter writes the page; its companions go next to it.
    QString stagingPage() const;
    const QString& outputPath() const { return m_outputPath; }
    // The staging folder, for writers that do not go through a path.
    const AnchoredFolder& staging() const { return *m_staging; }

    // A run reserves the publisher of a page before the office exports it;
    // the exporter then writes into that staging and leaves the commit to
    // the run, which makes it after the office's call has returned, so the
    // office's time limit never covers Deckvane's own work. Held while the
    // returned pointer lives. Raises AutomationError as the constructor.
    static std::shared_ptr<HtmlPublisher> reserve(const QString& outputRoot,
                                                  const QString& relativePage);
    // The reserved publisher of outputPath, null when there is none.
    static std::shared_ptr<HtmlPublisher> reservedFor(const QString& outputPath);

    // Moves the export into place; raises AutomationError on failure, leaving
    // any earlier output as it was. An export that is not complete (the page
    // or a file it links to missing, empty or cut short, as a full disk
    // leaves them: the exporter does not report short writes) fails too.
    // With a source, its note goes into the companion folder before the
    // swap, so a page never carries the note of another run's deck; the
    // note names the deck as noteName (by default its file name), never by
    // a path of this machine. An export's pages are cleaned on the way;
    // pages this program published before (a copy made from another deck's
    // page) are clean already and go as they are, so a copy is byte for
    // byte what converting its deck publishes.
    enum class Staged { Export, Published };
    void commit(const QString& sourcePath = QString(), const QString& noteName = QString(),
                Staged staged = Staged::Export);
    // Once told what the export was asked for, commit() makes the reader's
    // pages from the cleaned export (see ReaderPages) and publishes the files
    // they load; without, it publishes the cleaned export as it is.
    void setReaderExport(const ReaderPages::Export& made) { m_made = made; }
    // Whether the exporter may draw the slide pictures outside the office
    // (it does unless told otherwise).
    void setDrawPictures(bool draw) { m_drawPictures = draw; }
    bool drawPictures() const { return m_drawPictures; }
    // Pictures still being drawn when the office is done with a deck: the
    // step waits for them, puts them in place and says whether the export
    // is whole with them; false when the office must export the deck again
    // with pictures of its own. A run lets the office go on with the next
    // deck meanwhile, and finishes the step before the commit.
    void setPicturesStep(std::function<bool()> step) { m_picturesStep = std::move(step); }
    bool picturesPending() const { return static_cast<bool>(m_picturesStep); }
    // Runs the step, once; true when there is none.
    bool finishPictures();
    // The staged files the last commit left out, by name.
    const QStringList& leftOut() const { return m_leftOut; }

    // The disk of the staging folder has no room left for this process
    // (see isFull); an export that failed there failed for that.
    bool diskFull() const;
    static constexpr char kDiskFullText[] =
        "The output folder's disk is full: the page was not written";
    // Whether a file system has no block left for a writer: root may use
    // the blocks reserved for it (f_bfree), everyone else only the rest
    // (f_bavail).
    static bool isFull(const struct statvfs& disk, bool privileged);

    // What a staged companion is by its name: a page or a picture the
    // export makes for every deck (or the sharp picture drawn beside it),
    // or something else, which is left out.
    enum class Kind { Page, Picture, Other };
    static Kind kindOf(const QString& name);
    // Whether the first bytes of a picture are those of the kind its name
    // says (JPEG, PNG or GIF).
    static bool isPictureOfItsKind(const QString& name, const QByteArray& head);

    // A published page passes the test commit() puts an export to: the page
    // and its companion folder there, every file they link to whole.
    static bool isComplete(const QString& pagePath);
    static bool isComplete(const AnchoredFolder& folder, const QString& pageName);

    // Kept in a page's companion folder: the deck it was made from (its path
    // below the converted folder; a whole path in notes of earlier versions)
    // and the deck's modification time (seconds, then nanoseconds), one per
    // line.
    static constexpr char kSourceNote[] = ".deckvane-source";
    struct SourceNote {
        QString source; // empty when the page has no note
        qint64 seconds = 0;
        qint64 nanoseconds = -1; // -1 in notes written before they were kept
    };
    static SourceNote sourceNoteOf(const QString& pagePath);
    static SourceNote sourceNoteOf(const AnchoredFolder& folder, const QString& pageName);
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
    static void removeStaleStaging(const AnchoredFolder& folder, std::chrono::seconds maxAge);
    static constexpr std::chrono::seconds kStaleStagingAge{15 * 60};

    // "<name>_files" for an output path ".../<name>.htm".
    static QString companionFolderName(const QString& outputPath);

    // Rewrites href and src values that name a key of the map exactly (any
    // "#..." or "?..." after the name is kept) to the key's value.
    static QByteArray relink(const QByteArray& html, const QHash<QByteArray, QByteArray>& targets);

private:
    void stage();
    void checkComplete(const QStringList& companions, const QSet<QString>& leftOut) const;
    void writeSourceNote(const QString& sourcePath, const QString& noteName) const;
    void swap(const QString& folderName);

    QString m_outputPath;
    std::unique_ptr<AnchoredFolder> m_folder;  // the page's folder
    std::unique_ptr<AnchoredFolder> m_staging; // inside it
    QString m_stagingName;
    QStringList m_leftOut;
    std::optional<ReaderPages::Export> m_made;
    bool m_drawPictures = true;
    // Last, so that it goes first: it may still be drawing into the staging.
    std::function<bool()> m_picturesStep;
};
