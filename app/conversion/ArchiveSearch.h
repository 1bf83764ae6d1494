#pragma once

#include "app/conversion/ArchiveIndex.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The archive's front page and the data its search reads. The page and
// its script never change with the archive; the data is split so that a
// browser loads only what one search needs: the words, sorted, in chunks
// of a few kilobytes found through a short directory, and the slides' text
// (for the words in context) in chunks of a few decks each. Everything is
// a script file calling the front page's script, because a page opened
// from the disk may load scripts beside it but may not fetch files.
//
// The data comes in segments. A full build makes one of every page; an
// incremental one adds a segment of only the pages that changed, found by
// listing the folders, so it reads nothing of the rest of the archive. A
// newer segment's page wins over an older one's of the same name, and a
// newer segment may take a page that is gone out of the older ones. When the newest segments
// together grow to half the one before them they are rebuilt as one (as a binary counter carries),
// so an archive has a handful of segments, about the logarithm of its size, and each page is
// re-read only that many times over its life; a full build leaves one segment again. The manifest
// naming the segments is replaced in one rename, the step that makes a
// segment part of the index.
class ArchiveSearch {
public:
    static constexpr const char* kScript = ArchiveNames::kScript;
    static constexpr const char* kStyle = ArchiveNames::kStyle;
    static constexpr char kManifest[] = "manifest.js";
    // Changes when the data's shape does; data of another one is rebuilt.
    static constexpr int kFormat = 2;

    struct Deck {
        ArchiveIndex::Page page;
        QStringList slideTexts;  // one per slide, title and notes included
        QStringList slideTitles; // one per slide, "" for one without a title
    };
    struct Segment {
        QString id;
        int decks = 0;
    };
    using File = ArchiveIndex::File;

    // The readable text of a slide's text page: its words and its notes.
    static QString slideText(const QByteArray& html);
    // The title of the slide on its text page, "" when it has none.
    static QString slideTitle(const QByteArray& html);
    // A page's deck with the text of each of its slides.
    static Deck readDeck(const QString& outputFolder, const ArchiveIndex::Page& page);

    // gone: pages of older segments this one takes out of the index.
    static QList<File> renderSegment(const QString& id, const QList<Deck>& decks,
                                     const QStringList& gone = {});
    // The manifest also keeps the archive's name (--title) for later runs.
    static QByteArray renderManifest(const QList<Segment>& segments, const QString& title = {});
    static QList<Segment> parseManifest(const QByteArray& script);
    static QString parseTitle(const QByteArray& script);
    // Given the decks in each segment, oldest first, the first of the
    // newest segments that are to be rebuilt as one.
    static qsizetype mergeStart(const QList<int>& decks);
    // The page, script and style: the same for every archive but for the
    // archive's name ("Archive" when it has none).
    static QList<File> frontPage(const QString& title);

    // The whole index from every page in the folder; returns the pages. An
    // archive keeps its name unless a title is given.
    static int rebuild(const QString& outputFolder,
                       const std::optional<QString>& title = std::nullopt);
    // Brings the index up to the folder without reading it whole: adds the
    // pages a run published (paths below the output folder) and every page
    // on the disk that the index lacks or holds in an earlier state, found
    // by folder listings and the pages' stamps, and takes out the pages
    // gone. A folder without an index gets a whole one. Returns the pages
    // read. An archive keeps its name unless a title is given.
    static int update(const QString& outputFolder, const QStringList& changedPages,
                      const std::optional<QString>& title = std::nullopt);

private:
    // The files of a new segment of the decks, written after the segments
    // kept, and the manifest naming them all.
    // named: the segments of the manifest the writer found.
    static QList<File> withSegment(const QString& outputFolder, const QList<Segment>& named,
                                   QList<Segment> segments, const QList<Deck>& decks,
                                   const QString& title, const QStringList& gone = {});
    // The manifest as a writer finds it under the lock, read once: its
    // segments (none when of another format) and the archive's name.
    struct Manifest {
        QList<Segment> segments;
        QString title;
    };
    static Manifest readManifest(const QString& outputFolder);
    // Segments the index made that no manifest names any more (merged into
    // a newer one, or left by a writer that was killed) go once the next
    // writer comes, long after any reader was given their names; those the
    // manifest found (named) and those kept stay. Returns the record of the
    // segments left.
    static QStringList removeUnnamedSegments(const QString& outputFolder,
                                             const QList<Segment>& named,
                                             const QList<Segment>& kept);
    // The record of the segments the index made, below the output folder.
    static QString recordName();
    static bool isSegmentId(const QString& name);
    static QString newSegmentId();
};
