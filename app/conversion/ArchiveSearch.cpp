#include "app/conversion/ArchiveSearch.h"

#include "app/automation/DeckTitle.h"
#include "app/automation/HtmlEntities.h"
#include "app/automation/HtmlPublisher.h"
#include "app/conversion/ArchiveAssets.h"
#include "app/conversion/SearchTerms.h"
#include "platform/AnchoredFolder.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace {

// Sizes a browser reads in well under a keystroke's time from a disk or a
// static server; smaller chunks mean more files for a common word.
constexpr qsizetype kTermChunkBytes = 24 * 1024;
constexpr qsizetype kTextChunkBytes = 48 * 1024;
// The weights of a word in a unit beyond being there (1): on a slide, in
// its title (plus how often it is there, up to 4 times); in a deck's name,
// in its file's name or its title. One base-36 digit each.
constexpr int kInTitle = 5;
constexpr int kInFileName = 10;
constexpr int kInDeckTitle = 11;
// A common word's weights beyond being there are kept while they take no
// more than this (or a sixteenth of its bitmap): first all of them, else
// those in slides' titles and decks' names, else decks' names only.
constexpr qsizetype kMaxWeightsBytes = 2048;
// A slide's text beyond this is not shown in context and not searched;
// slides with more are pasted documents.
constexpr qsizetype kMaxSlideText = 8000;
// A text page is read no further than this.
constexpr qint64 kLargestTextPage = qint64(16) << 20;
// Beside the manifest: every segment the index has made and not yet
// removed. Only segments named here are ever removed.
constexpr char kSegmentRecord[] = "segments";

// A word's places: the units it is in (a deck's name, then its slides,
// numbered deck after deck) with a weight where it is more than 1, as the
// gaps between them in base 36, each weight after a "."; a word in more
// than one unit in 16 as a bitmap (base64 after a "!", a tenth of the
// size and far quicker for the browser to read), then after a "|" the
// units where it weighs more than 1, as far as that list stays short: in
// a large archive, how often so common a word is on each slide, or in
// which titles, says little and would make the list longer than the
// bitmap.
QByteArray gapsText(const std::vector<std::pair<int, int>>& places, int least) {
    QByteArray out;
    int last = 0;
    for (const auto& [unit, weight] : places) {
        if (weight < least)
            continue;
        if (!out.isEmpty())
            out += ',';
        out += QByteArray::number(unit - last, 36);
        if (weight > 1)
            out += '.' + QByteArray::number(weight, 36);
        last = unit;
    }
    return out;
}

QByteArray postingsText(const std::vector<std::pair<int, int>>& places, int totalUnits) {
    if (qint64(places.size()) * 16 <= totalUnits)
        return gapsText(places, 0);
    QByteArray bits((totalUnits + 7) / 8, '\0');
    for (const auto& place : places)
        bits[place.first / 8] = char(bits.at(place.first / 8) | (1 << (place.first % 8)));
    const qsizetype most = std::max<qsizetype>(kMaxWeightsBytes, bits.size() / 16);
    QByteArray heavy;
    for (const int least : {2, kInTitle, kInFileName}) {
        heavy = gapsText(places, least);
        if (heavy.size() <= most)
            break;
    }
    return '!' + bits.toBase64() + (heavy.isEmpty() ? QByteArray() : '|' + heavy);
}

// The words that name a deck, each with its weight: in its title, in its
// file's name, or (as a word on a slide, 1) in a folder's.
QHash<QString, int> nameWords(const ArchiveIndex::Page& page) {
    QHash<QString, int> words;
    const auto add = [&](const QString& text, int weight) {
        for (const QString& word : SearchTerms::terms(text))
            words[word] = std::max(words.value(word), weight);
    };
    QStringList folders = page.relativePath.split(QLatin1Char('/'));
    const QString fileName = folders.takeLast();
    // A note written by this version names the deck below the converted
    // folder; one with a whole path only gives the file's name.
    QStringList sourceFolders = page.source.split(QLatin1Char('/'));
    const QString sourceName = sourceFolders.takeLast();
    if (!page.source.startsWith(QLatin1Char('/')))
        folders += sourceFolders;
    add(folders.join(QLatin1Char(' ')), 1);
    add(DeckTitle::fromFileName(page.source.isEmpty() ? fileName : sourceName), kInFileName);
    add(page.title, kInDeckTitle);
    return words;
}

// A word's weight on a slide: how often it is there (up to 4), and
// kInTitle more when the slide's title has it.
QHash<QString, int> slideWords(const QString& text, const QString& title) {
    QHash<QString, int> words;
    for (const QString& word : SearchTerms::terms(text))
        ++words[word];
    const QStringList titleWords = SearchTerms::terms(title);
    for (auto it = words.begin(); it != words.end(); ++it) {
        const bool inTitle = titleWords.contains(it.key());
        it.value() = std::min(it.value() - (inTitle ? 1 : 0), 4) + (inTitle ? kInTitle : 0);
    }
    return words;
}

// The data as JSON text in a script string: a browser reads that about
// twice as fast as the same object written as script.
constexpr char kParseOpen[] = "JSON.parse('";
constexpr char kParseClose[] = "')";

QByteArray dataScript(const QString& key, const QJsonDocument& data) {
    QByteArray json = data.toJson(QJsonDocument::Compact);
    json.replace('\\', "\\\\").replace('\'', "\\'");
    return "deckvaneData(\"" + key.toUtf8() + "\"," + kParseOpen + json + kParseClose + ");\n";
}

QString segmentFolder(const QString& id) {
    return QLatin1String(ArchiveIndex::kDataFolder) + QLatin1Char('/') + id;
}

QString pagesListName(const QString& id) {
    return segmentFolder(id) + QStringLiteral("/pages");
}

QString manifestName() {
    return QLatin1String(ArchiveIndex::kDataFolder) + QLatin1Char('/') +
           QLatin1String(ArchiveSearch::kManifest);
}

// A segment's list of pages, one line each: the page's path below the
// output folder (its bytes, with "%", tabs and other controls
// percent-encoded so that any name fits on a line and the list stays one a
// person can grep), a tab and
// the page's stamp when it was read (ArchiveIndex::Page::stamp). A page the
// segment takes out of older segments, gone from the disk, has the stamp
// "-". Lists of earlier versions hold bare paths, with no stamp.
constexpr char kGone[] = "-";

struct ListEntry {
    QString path;
    QByteArray stamp;
};

QByteArray listLine(const QString& path, const QByteArray& stamp) {
    QByteArray line;
    for (const char c : LocalPath::toNative(path)) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '%')
            line += '%' + QByteArray(1, c).toHex().toUpper();
        else
            line += c;
    }
    return line + '\t' + stamp + '\n';
}

QList<ListEntry> parseList(const QByteArray& text) {
    QList<ListEntry> entries;
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (line.isEmpty())
            continue;
        if (tab < 0)
            entries.append({LocalPath::fromNative(line), {}});
        else
            entries.append({LocalPath::fromNative(QByteArray::fromPercentEncoding(line.left(tab))),
                            line.mid(tab + 1)});
    }
    return entries;
}

QList<ArchiveSearch::Deck> readDecks(const QString& outputFolder, QStringList relativePaths) {
    std::sort(relativePaths.begin(), relativePaths.end());
    relativePaths.erase(std::unique(relativePaths.begin(), relativePaths.end()),
                        relativePaths.end());
    QList<ArchiveSearch::Deck> decks;
    for (const QString& path : relativePaths) {
        ArchiveIndex::Page page;
        // A page gone since is left out, as the folder's scan would.
        if (ArchiveIndex::readPage(outputFolder, path, &page))
            decks.append(ArchiveSearch::readDeck(outputFolder, page));
    }
    return decks;
}

} // namespace

QString ArchiveSearch::slideText(const QByteArray& html) {
    QString text = QString::fromUtf8(html);
    // The export puts the slide's navigation before its text (the reader's
    // own navigation takes its place) and titles the notes with a word of
    // its own, which is no text of the deck.
    const qsizetype reader = text.indexOf(QLatin1String("<!--/deckvane-reader-->"));
    const qsizetype body = text.indexOf(QLatin1String("<body"), 0, Qt::CaseInsensitive);
    const qsizetype navigation =
        reader >= 0 ? reader + 14
                    : text.indexOf(QLatin1String("</center>"), std::max<qsizetype>(body, 0),
                                   Qt::CaseInsensitive);
    if (navigation >= 0)
        text = text.mid(navigation + 9);
    static const QRegularExpression heading(QStringLiteral("<h3>.*?</h3>"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    text.replace(heading, QStringLiteral(" "));
    text.replace(tag, QStringLiteral(" "));
    return HtmlEntities::decode(text).simplified().left(kMaxSlideText);
}

QString ArchiveSearch::slideTitle(const QByteArray& html) {
    static const QRegularExpression heading(QStringLiteral("<h1[^>]*>(.*?)</h1>"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QString title = heading.match(QString::fromUtf8(html)).captured(1);
    title.replace(tag, QStringLiteral(" "));
    return HtmlEntities::decode(title).simplified().left(kMaxSlideText);
}

ArchiveSearch::Deck ArchiveSearch::readDeck(const QString& outputFolder,
                                            const ArchiveIndex::Page& page) {
    Deck deck;
    deck.page = page;
    // Reached from the output folder without links: a link there may lead
    // to pages nobody meant to publish.
    std::optional<AnchoredFolder> companion;
    try {
        companion.emplace(AnchoredFolder(outputFolder)
                              .folder(page.relativePath.left(page.relativePath.size() - 4) +
                                      QLatin1String("_files")));
    } catch (const FileError&) {
    }
    for (int slide = 0; slide < page.slides; ++slide) {
        QByteArray html;
        try {
            if (companion)
                html = companion->read(QStringLiteral("text%1.html").arg(slide), kLargestTextPage);
        } catch (const FileError&) {
            // A deck exported without text pages is still found by its title.
        }
        deck.slideTexts.append(slideText(html));
        deck.slideTitles.append(slideTitle(html));
    }
    return deck;
}

QList<ArchiveSearch::File> ArchiveSearch::renderSegment(const QString& id, const QList<Deck>& decks,
                                                        const QStringList& gone) {
    QList<File> files;
    const QString folder = segmentFolder(id);
    // Every deck has its name's unit and then one per slide, numbered deck
    // after deck through the segment.
    std::map<QString, std::vector<std::pair<int, int>>> postings;
    int ordinal = 0;
    QJsonArray deckRows;
    QByteArray pagesList;
    const auto addUnit = [&](const QHash<QString, int>& words) {
        for (auto it = words.begin(); it != words.end(); ++it)
            postings[it.key()].emplace_back(ordinal, it.value());
        ++ordinal;
    };
    for (const Deck& deck : decks) {
        const ArchiveIndex::Page& page = deck.page;
        addUnit(nameWords(page));
        for (qsizetype slide = 0; slide < deck.slideTexts.size(); ++slide)
            addUnit(slideWords(deck.slideTexts.at(slide), deck.slideTitles.value(slide)));
        deckRows.append(QJsonArray{QString::fromLatin1(ArchiveIndex::link(page.relativePath)),
                                   page.relativePath, page.title, int(deck.slideTexts.size()),
                                   page.thumbnail ? 1 : 0, page.source,
                                   page.date.isValid() ? page.date.toSecsSinceEpoch() : 0});
        pagesList += listLine(page.relativePath, page.stamp);
    }
    for (const QString& path : gone)
        pagesList += listLine(path, kGone);

    QJsonArray termChunks;
    QJsonObject chunk;
    qsizetype chunkBytes = 0;
    const auto flushTerms = [&] {
        files.append({folder + QStringLiteral("/t%1.js").arg(termChunks.size() - 1),
                      dataScript(id + QStringLiteral("/t%1").arg(termChunks.size() - 1),
                                 QJsonDocument(chunk))});
        chunk = QJsonObject();
        chunkBytes = 0;
    };
    for (auto& [word, places] : postings) {
        // Units were numbered in order, each once per word: already sorted.
        const QByteArray encoded = postingsText(places, ordinal);
        if (chunk.isEmpty())
            termChunks.append(word);
        chunk.insert(word, QString::fromLatin1(encoded));
        chunkBytes += word.size() + encoded.size() + 6;
        if (chunkBytes >= kTermChunkBytes)
            flushTerms();
    }
    if (!chunk.isEmpty())
        flushTerms();

    QJsonArray textChunks;
    QJsonArray texts;
    qsizetype textBytes = 0;
    const auto flushTexts = [&] {
        const qsizetype number = textChunks.size() - 1;
        files.append({folder + QStringLiteral("/x%1.js").arg(number),
                      dataScript(id + QStringLiteral("/x%1").arg(number), QJsonDocument(texts))});
        texts = QJsonArray();
        textBytes = 0;
    };
    for (qsizetype i = 0; i < decks.size(); ++i) {
        if (texts.isEmpty())
            textChunks.append(int(i));
        texts.append(QJsonArray::fromStringList(decks.at(i).slideTexts));
        for (const QString& text : decks.at(i).slideTexts)
            textBytes += text.size() + 4;
        if (textBytes >= kTextChunkBytes)
            flushTexts();
    }
    if (!texts.isEmpty())
        flushTexts();

    QJsonObject meta{{QStringLiteral("decks"), deckRows},
                     {QStringLiteral("terms"), termChunks},
                     {QStringLiteral("texts"), textChunks}};
    // Pages of older segments that are gone: the front page leaves them out.
    if (!gone.isEmpty())
        meta.insert(QStringLiteral("gone"), QJsonArray::fromStringList(gone));
    files.append({folder + QStringLiteral("/meta.js"),
                  dataScript(id + QStringLiteral("/meta"), QJsonDocument(meta))});
    files.append({pagesListName(id), pagesList});
    return files;
}

QByteArray ArchiveSearch::renderManifest(const QList<Segment>& segments, const QString& title) {
    QJsonArray list;
    for (const Segment& segment : segments)
        list.append(QJsonObject{{QStringLiteral("id"), segment.id},
                                {QStringLiteral("decks"), segment.decks}});
    return dataScript(QStringLiteral("manifest"),
                      QJsonDocument(QJsonObject{{QStringLiteral("format"), kFormat},
                                                {QStringLiteral("title"), title},
                                                {QStringLiteral("segments"), list}}));
}

namespace {

QJsonObject manifestObject(const QByteArray& script) {
    const qsizetype open = script.indexOf(kParseOpen);
    const qsizetype close = script.lastIndexOf(kParseClose);
    if (open < 0 || close < open)
        return {};
    QByteArray json = script.mid(open + qsizetype(sizeof kParseOpen) - 1,
                                 close - open - qsizetype(sizeof kParseOpen) + 1);
    QByteArray text;
    for (qsizetype i = 0; i < json.size(); ++i)
        text += json.at(i) == '\\' && i + 1 < json.size() ? json.at(++i) : json.at(i);
    return QJsonDocument::fromJson(text).object();
}

} // namespace

QString ArchiveSearch::parseTitle(const QByteArray& script) {
    return manifestObject(script).value(QStringLiteral("title")).toString();
}

QList<ArchiveSearch::Segment> ArchiveSearch::parseManifest(const QByteArray& script) {
    const QJsonObject manifest = manifestObject(script);
    QList<Segment> segments;
    // Segments of an earlier format are no part of this index: the next
    // update builds a whole one.
    if (manifest.value(QStringLiteral("format")).toInt() != kFormat)
        return segments;
    for (const QJsonValue& value : manifest.value(QStringLiteral("segments")).toArray()) {
        const QJsonObject object = value.toObject();
        const QString id = object.value(QStringLiteral("id")).toString();
        // The id names a folder that is removed once unused: nothing but a
        // plain name is taken from the file.
        if (isSegmentId(id))
            segments.append({id, object.value(QStringLiteral("decks")).toInt()});
    }
    return segments;
}

qsizetype ArchiveSearch::mergeStart(const QList<int>& decks) {
    qsizetype start = decks.size() - 1;
    if (start < 0)
        return 0;
    qint64 tail = decks.at(start);
    while (start > 0 && tail * 2 >= decks.at(start - 1)) {
        --start;
        tail += decks.at(start);
    }
    return start;
}

QList<ArchiveSearch::File> ArchiveSearch::frontPage(const QString& title) {
    const QByteArray name =
        ArchiveIndex::escape(title.isEmpty() ? QStringLiteral("Archive") : title);
    QByteArray page(ArchiveAssets::kPage);
    page.replace("<title>Archive</title>", "<title>" + name + "</title>")
        .replace("<h1>Archive</h1>", "<h1>" + name + "</h1>");
    return {{QLatin1String(ArchiveIndex::kFileName), page},
            {QLatin1String(kScript), QByteArray(ArchiveAssets::kScript)},
            {QLatin1String(kStyle), QByteArray(ArchiveAssets::kStyle)}};
}

QString ArchiveSearch::newSegmentId() {
    return QString::number(QRandomGenerator::system()->generate64(), 16);
}

QList<ArchiveSearch::File>
ArchiveSearch::withSegment(const QString& outputFolder, const QList<Segment>& named,
                           QList<Segment> segments, const QList<Deck>& decks, const QString& title,
                           const QStringList& gone) {
    const QString id = newSegmentId();
    QStringList record = removeUnnamedSegments(outputFolder, named, segments);
    record.append(id);
    // First: the record names the segment before any of its files exist, so
    // a writer killed midway leaves nothing the next one does not know of.
    QList<File> files{{recordName(), record.join(QLatin1Char('\n')).toLatin1() + '\n'}};
    files += renderSegment(id, decks, gone);
    files += frontPage(title);
    segments.append({id, int(decks.size())});
    // Last: the rename that makes the new segment part of the index.
    files.append({manifestName(), renderManifest(segments, title)});
    return files;
}

QString ArchiveSearch::recordName() {
    return QLatin1String(ArchiveIndex::kDataFolder) + QLatin1Char('/') +
           QLatin1String(kSegmentRecord);
}

QStringList ArchiveSearch::removeUnnamedSegments(const QString& outputFolder,
                                                 const QList<Segment>& named,
                                                 const QList<Segment>& kept) {
    // Segments the index made: those its record names and those its last
    // manifest named (an index of an earlier version keeps no record). A
    // folder that only looks like a segment is someone else's.
    QStringList made;
    try {
        for (const QByteArray& line :
             AnchoredFolder(outputFolder).read(recordName(), 1 << 20).split('\n'))
            if (isSegmentId(QString::fromLatin1(line)))
                made.append(QString::fromLatin1(line));
    } catch (const FileError&) {
    }
    // Those the manifest names now stay until the next writer: readers may
    // have been given their names.
    QSet<QString> staying;
    for (const Segment& segment : named) {
        made.append(segment.id);
        staying.insert(segment.id);
    }
    for (const Segment& segment : kept)
        staying.insert(segment.id);
    QStringList left;
    const AnchoredFolder root(outputFolder);
    for (const QString& id : std::as_const(made)) {
        if (staying.contains(id)) {
            if (!left.contains(id))
                left.append(id);
        } else {
            root.removeTree(segmentFolder(id));
        }
    }
    return left;
}

ArchiveSearch::Manifest ArchiveSearch::readManifest(const QString& outputFolder) {
    QByteArray script;
    try {
        script = AnchoredFolder(outputFolder).read(manifestName(), 1 << 20);
    } catch (const FileError&) {
        return {};
    }
    return {parseManifest(script), parseTitle(script)};
}

bool ArchiveSearch::isSegmentId(const QString& name) {
    static const QRegularExpression plainId(QStringLiteral("^[0-9a-f]{1,32}$"));
    return plainId.match(name).hasMatch();
}

int ArchiveSearch::rebuild(const QString& outputFolder, const std::optional<QString>& title) {
    return ArchiveIndex::writeWith(outputFolder, [&](const QList<ArchiveIndex::Page>& pages) {
        QList<Deck> decks;
        for (const ArchiveIndex::Page& page : pages)
            decks.append(readDeck(outputFolder, page));
        const Manifest found = readManifest(outputFolder);
        return withSegment(outputFolder, found.segments, {}, decks, title.value_or(found.title));
    });
}

int ArchiveSearch::update(const QString& outputFolder, const QStringList& changedPages,
                          const std::optional<QString>& title) {
    int added = 0;
    ArchiveIndex::writeLocked(outputFolder, [&] {
        const Manifest found = readManifest(outputFolder);
        const QString name = title.value_or(found.title);
        QList<Segment> segments = found.segments;
        QList<QList<ListEntry>> lists;
        try {
            const AnchoredFolder folder(outputFolder);
            for (const Segment& segment : std::as_const(segments))
                lists.append(parseList(folder.read(pagesListName(segment.id), 64 << 20)));
        } catch (const FileError&) {
            // A segment without its list is rebuilt with everything else.
            segments.clear();
        }
        if (segments.isEmpty()) {
            // No index yet (or one that cannot be read): a whole one.
            QList<Deck> decks;
            for (const ArchiveIndex::Page& page : ArchiveIndex::scan(outputFolder))
                decks.append(readDeck(outputFolder, page));
            added = int(decks.size());
            return withSegment(outputFolder, found.segments, {}, decks, name);
        }
        // The index against the disk, by folder listings and the pages'
        // stamps: the pages it lacks or holds in an earlier state (published
        // by a run that was killed, or that wrote no index) are read, and
        // those gone are taken out. Pages that are as they were are not read.
        QHash<QString, QByteArray> indexed; // the newest segment's word
        for (const QList<ListEntry>& list : std::as_const(lists))
            for (const ListEntry& entry : list)
                indexed.insert(entry.path, entry.stamp);
        // A page file seen without its companion folder (caught being
        // swapped) is neither read nor taken out.
        QHash<QString, QByteArray> onDisk;
        QSet<QString> present;
        for (const ArchiveIndex::Listed& page : ArchiveIndex::list(outputFolder)) {
            present.insert(page.relativePath);
            if (!page.stamp.isEmpty())
                onDisk.insert(page.relativePath, page.stamp);
        }
        QSet<QString> read;
        for (const QString& page : changedPages)
            if (onDisk.contains(page))
                read.insert(page);
        for (auto it = onDisk.cbegin(); it != onDisk.cend(); ++it)
            if (indexed.value(it.key()) != it.value())
                read.insert(it.key());
        QSet<QString> gone;
        for (auto it = indexed.cbegin(); it != indexed.cend(); ++it)
            if (it.value() != kGone && !present.contains(it.key()))
                gone.insert(it.key());
        added = int(read.size());
        if (read.isEmpty() && gone.isEmpty()) {
            const QStringList record =
                removeUnnamedSegments(outputFolder, found.segments, segments);
            QList<File> files{{recordName(), record.join(QLatin1Char('\n')).toLatin1() + '\n'}};
            files += frontPage(name);
            files.append({manifestName(), renderManifest(segments, name)});
            return files;
        }
        QList<int> sizes;
        for (const Segment& segment : std::as_const(segments))
            sizes.append(segment.decks);
        sizes.append(int(read.size() + gone.size()));
        const qsizetype start = mergeStart(sizes);
        // The newest segments are rebuilt with the new one: their pages
        // still there come along, and a page gone needs taking out only
        // while an older segment kept as it is still lists it.
        for (qsizetype i = start; i < lists.size(); ++i)
            for (const ListEntry& entry : std::as_const(lists.at(i))) {
                if (onDisk.contains(entry.path))
                    read.insert(entry.path);
                else if (!present.contains(entry.path))
                    gone.insert(entry.path);
            }
        QHash<QString, QByteArray> kept;
        for (qsizetype i = 0; i < start; ++i)
            for (const ListEntry& entry : std::as_const(lists.at(i)))
                kept.insert(entry.path, entry.stamp);
        QStringList tombstones;
        for (const QString& path : std::as_const(gone))
            if (kept.contains(path) && kept.value(path) != kGone)
                tombstones.append(path);
        tombstones.sort();
        segments.erase(segments.begin() + start, segments.end());
        return withSegment(outputFolder, found.segments, segments,
                           readDecks(outputFolder, read.values()), name, tombstones);
    });
    return added;
}
