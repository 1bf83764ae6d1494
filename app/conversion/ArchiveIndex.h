#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// "index.htm" of an output folder: one entry for every page in it (and in
// its subfolders, for a kept tree), whichever run or shard made it, so it
// is built from the folder, never from one run's memory. Each entry has the
// deck's title, its slide count, a thumbnail of its first slide, its source
// and date and a link to the page, drawn in the pages' own plain look with
// nothing fetched from elsewhere.
class ArchiveIndex {
public:
    static constexpr char kFileName[] = "index.htm";
    // Kept in a page's companion folder: the deck it was made from and the
    // deck's modification time, one per line.
    static constexpr char kSourceNote[] = ".deckvane-source";
    // Beside the index: the search's data, never scanned for pages.
    static constexpr char kDataFolder[] = "index-search";

    struct Page {
        QString relativePath; // of the page, below the output folder
        QString title;
        int slides = 0;
        bool thumbnail = false;
        QString source; // empty when the page carries no note
        QDateTime date; // the deck's, else the page's
    };

    // Records which deck a page came from; quiet on failure (the index then
    // shows the page without its source).
    static void writeSourceNote(const QString& sourcePath, const QString& pagePath);

    // The page at the path below the output folder; false when it has no
    // companion folder (so it is no page the converter made).
    static bool readPage(const QString& outputFolder, const QString& relativePath, Page* page);
    // Every page below the folder, ordered by path.
    static QList<Page> scan(const QString& outputFolder);
    static QByteArray render(const QList<Page>& pages);
    // Scans and writes index.htm in place of the old one at once; returns
    // the number of pages, raises AutomationError when it cannot be written.
    static int write(const QString& outputFolder);

    // What the overview page's <title> says, "" when it has none.
    static QString titleOf(const QByteArray& html);
    static QByteArray escape(const QString& text);
    // A relative link: every byte of the native path but unreserved ones
    // and "/" percent-encoded.
    static QByteArray link(const QString& relativePath);
};
