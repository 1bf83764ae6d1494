#pragma once

#include "app/automation/HtmlPublisher.h"
#include "app/conversion/ArchiveNames.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

// "index.htm" of an output folder: one entry for every page in it (and in
// its subfolders, for a kept tree), whichever run or shard made it, so it
// is built from the folder, never from one run's memory. Each entry has the
// deck's title, its slide count, a thumbnail of its first slide, its source
// and date and a link to the page, drawn in the pages' own plain look with
// nothing fetched from elsewhere.
//
// Its name, "index.html", is one no page can have (pages are "<name>.htm"
// with no dot in <name>), so a deck called "index" keeps its page; an
// "index.htm" index of earlier versions is turned into a pointer to it.
class ArchiveIndex {
public:
    static constexpr const char* kFileName = ArchiveNames::kIndexPage;
    static constexpr char kEarlierFileName[] = "index.htm";
    // Held exclusive by an index writer from its scan to its last rename.
    static constexpr const char* kLockFile = ArchiveNames::kIndexLock;
    static constexpr const char* kSourceNote = HtmlPublisher::kSourceNote;
    // Beside the index: the search's data, never scanned for pages.
    static constexpr const char* kDataFolder = ArchiveNames::kSearchData;

    struct Page {
        QString relativePath; // of the page, below the output folder
        QString title;
        int slides = 0;
        bool thumbnail = false;
        QString source; // empty when the page carries no note
        QDateTime date; // the deck's, else the page's
        // What tells one publishing of the page from the next without
        // reading it: the page file's modification time and inode (every
        // publish renames a new file into place).
        QByteArray stamp;
    };
    // A page found on the disk, not read.
    struct Listed {
        QString relativePath;
        QByteArray stamp;
    };

    // The page at the path below the output folder; false when it has no
    // companion folder (so it is no page the converter made).
    static bool readPage(const QString& outputFolder, const QString& relativePath, Page* page);
    // Every page below the folder, ordered by path; each folder is read
    // under its lock, so a page being swapped is seen before or after.
    static QList<Page> scan(const QString& outputFolder);
    // The same pages found by folder listings alone, with their stamps: a
    // folder opened per folder, not a file per page. A ".htm" file without
    // its companion folder (a page being swapped, or no page at all) comes
    // with an empty stamp.
    static QList<Listed> list(const QString& outputFolder);
    static QByteArray render(const QList<Page>& pages);

    // A file of the index, named relative to the output folder.
    struct File {
        QString name;
        QByteArray content;
    };
    using Renderer = std::function<QList<File>(const QList<Page>& pages)>;
    // How every file of the index is written: under the output folder's
    // index lock (writers on any host take turns), index staging files that
    // earlier writers left are removed, the folder is scanned after the lock
    // is held (so the last writer sees every page published before it), and
    // each file the renderer makes is written under a name no other process
    // or host can pick (O_EXCL) and renamed into place. Returns the number
    // of pages; raises FileError when a file cannot be written.
    static int writeWith(const QString& outputFolder, const Renderer& renderer);
    // The same for an index that knows without a scan what it writes: make
    // runs once the lock is held, and its files are written in its order
    // (so the one that makes the others part of the index can come last).
    using Maker = std::function<QList<File>()>;
    static void writeLocked(const QString& outputFolder, const Maker& make);
    // index.html from render().
    static int write(const QString& outputFolder);
    // An index staging file, from this version or an earlier one.
    static bool isStagingName(const QString& name);

    // What the overview page's <title> says, "" when it has none.
    static QString titleOf(const QByteArray& html);
    static QByteArray escape(const QString& text);
    // A relative link: every byte of the native path but unreserved ones
    // and "/" percent-encoded.
    static QByteArray link(const QString& relativePath);
};
