#include "app/conversion/ArchiveSearch.h"

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
// A slide's text beyond this is not shown in context and not searched;
// slides with more are pasted documents.
constexpr qsizetype kMaxSlideText = 8000;
// A text page is read no further than this.
constexpr qint64 kLargestTextPage = qint64(16) << 20;
// Beside the manifest: every segment the index has made and not yet
// removed. Only segments named here are ever removed.
constexpr char kSegmentRecord[] = "segments";

QString decodeEntities(const QString& text) {
    static const QRegularExpression entity(QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|[a-z]+);"));
    QString out;
    qsizetype last = 0;
    auto it = entity.globalMatch(text);
    while (it.hasNext()) {
        const auto match = it.next();
        out += QStringView(text).mid(last, match.capturedStart() - last);
        last = match.capturedEnd();
        const QString name = match.captured(1);
        char32_t c = 0;
        if (name.startsWith(QLatin1String("#x")) || name.startsWith(QLatin1String("#X")))
            c = name.mid(2).toUInt(nullptr, 16);
        else if (name.startsWith(QLatin1Char('#')))
            c = name.mid(1).toUInt();
        else if (name == QLatin1String("amp"))
            c = '&';
        else if (name == QLatin1String("lt"))
            c = '<';
        else if (name == QLatin1String("gt"))
            c = '>';
        else if (name == QLatin1String("quot"))
            c = '"';
        else if (name == QLatin1String("apos"))
            c = '\'';
        else if (name == QLatin1String("nbsp"))
            c = ' ';
        if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000))
            out += match.captured();
        else
            out += QString::fromUcs4(&c, 1);
    }
    out += QStringView(text).mid(last);
    return out;
}

// A word's slides: the gaps between them in base 36, or for a word on
// more than one slide in 16, a bitmap (base64 after a "!"), a tenth of the
// size and far quicker for the browser to read.
QByteArray postingsText(const std::vector<int>& slides, int totalSlides) {
    if (qint64(slides.size()) * 16 > totalSlides) {
        QByteArray bits((totalSlides + 7) / 8, '\0');
        for (const int slide : slides)
            bits[slide / 8] = char(bits.at(slide / 8) | (1 << (slide % 8)));
        return '!' + bits.toBase64();
    }
    QByteArray out;
    int last = 0;
    for (const int slide : slides) {
        if (!out.isEmpty())
            out += ',';
        out += QByteArray::number(slide - last, 36);
        last = slide;
    }
    return out;
}

QByteArray dataScript(const QString& key, const QJsonDocument& data) {
    return "deckvaneData(\"" + key.toUtf8() + "\"," + data.toJson(QJsonDocument::Compact) + ");\n";
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
    return decodeEntities(text).simplified().left(kMaxSlideText);
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
    }
    return deck;
}

QList<ArchiveSearch::File> ArchiveSearch::renderSegment(const QString& id,
                                                        const QList<Deck>& decks) {
    QList<File> files;
    const QString folder = segmentFolder(id);
    // Every slide of the segment has a number, deck after deck; the title
    // is found on the first slide.
    std::map<QString, std::vector<int>> postings;
    int ordinal = 0;
    QJsonArray deckRows;
    QByteArray pagesList;
    for (const Deck& deck : decks) {
        const ArchiveIndex::Page& page = deck.page;
        for (int slide = 0; slide < deck.slideTexts.size(); ++slide, ++ordinal) {
            QStringList words = SearchTerms::terms(deck.slideTexts.at(slide));
            if (slide == 0)
                words += SearchTerms::terms(page.title);
            for (const QString& word : QSet<QString>(words.begin(), words.end()))
                postings[word].push_back(ordinal);
        }
        deckRows.append(QJsonArray{QString::fromLatin1(ArchiveIndex::link(page.relativePath)),
                                   page.relativePath, page.title, int(deck.slideTexts.size()),
                                   page.thumbnail ? 1 : 0, page.source,
                                   page.date.isValid() ? page.date.toSecsSinceEpoch() : 0});
        pagesList += LocalPath::toNative(page.relativePath) + '\n';
    }

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
    for (auto& [word, slides] : postings) {
        // Slides were numbered in order, each once per word: already sorted.
        const QByteArray encoded = postingsText(slides, ordinal);
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

    files.append({folder + QStringLiteral("/meta.js"),
                  dataScript(id + QStringLiteral("/meta"),
                             QJsonDocument(QJsonObject{{QStringLiteral("decks"), deckRows},
                                                       {QStringLiteral("terms"), termChunks},
                                                       {QStringLiteral("texts"), textChunks}}))});
    files.append({pagesListName(id), pagesList});
    return files;
}

QByteArray ArchiveSearch::renderManifest(const QList<Segment>& segments) {
    QJsonArray list;
    for (const Segment& segment : segments)
        list.append(QJsonObject{{QStringLiteral("id"), segment.id},
                                {QStringLiteral("decks"), segment.decks}});
    return dataScript(QStringLiteral("manifest"),
                      QJsonDocument(QJsonObject{{QStringLiteral("segments"), list}}));
}

QList<ArchiveSearch::Segment> ArchiveSearch::parseManifest(const QByteArray& script) {
    const qsizetype open = script.indexOf('{');
    const qsizetype close = script.lastIndexOf('}');
    QList<Segment> segments;
    if (open < 0 || close < open)
        return segments;
    const QJsonDocument doc = QJsonDocument::fromJson(script.mid(open, close - open + 1));
    for (const QJsonValue& value : doc.object().value(QStringLiteral("segments")).toArray()) {
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

QList<ArchiveSearch::File> ArchiveSearch::frontPage() {
    return {{QLatin1String(ArchiveIndex::kFileName), QByteArray(ArchiveAssets::kPage)},
            {QLatin1String(kScript), QByteArray(ArchiveAssets::kScript)},
            {QLatin1String(kStyle), QByteArray(ArchiveAssets::kStyle)}};
}

QString ArchiveSearch::newSegmentId() {
    return QString::number(QRandomGenerator::system()->generate64(), 16);
}

QList<ArchiveSearch::File> ArchiveSearch::withSegment(const QString& outputFolder,
                                                      QList<Segment> segments,
                                                      const QList<Deck>& decks) {
    const QString id = newSegmentId();
    QStringList record = removeUnnamedSegments(outputFolder, segments);
    record.append(id);
    // First: the record names the segment before any of its files exist, so
    // a writer killed midway leaves nothing the next one does not know of.
    QList<File> files{{recordName(), record.join(QLatin1Char('\n')).toLatin1() + '\n'}};
    files += renderSegment(id, decks);
    files += frontPage();
    segments.append({id, int(decks.size())});
    // Last: the rename that makes the new segment part of the index.
    files.append({manifestName(), renderManifest(segments)});
    return files;
}

QString ArchiveSearch::recordName() {
    return QLatin1String(ArchiveIndex::kDataFolder) + QLatin1Char('/') +
           QLatin1String(kSegmentRecord);
}

QStringList ArchiveSearch::removeUnnamedSegments(const QString& outputFolder,
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
    QSet<QString> named;
    for (const Segment& segment : readManifest(outputFolder)) {
        made.append(segment.id);
        named.insert(segment.id);
    }
    for (const Segment& segment : kept)
        named.insert(segment.id);
    QStringList left;
    const AnchoredFolder root(outputFolder);
    for (const QString& id : std::as_const(made)) {
        if (named.contains(id)) {
            if (!left.contains(id))
                left.append(id);
        } else {
            root.removeTree(segmentFolder(id));
        }
    }
    return left;
}

QList<ArchiveSearch::Segment> ArchiveSearch::readManifest(const QString& outputFolder) {
    try {
        return parseManifest(AnchoredFolder(outputFolder).read(manifestName(), 1 << 20));
    } catch (const FileError&) {
        return {};
    }
}

bool ArchiveSearch::isSegmentId(const QString& name) {
    static const QRegularExpression plainId(QStringLiteral("^[0-9a-f]{1,32}$"));
    return plainId.match(name).hasMatch();
}

int ArchiveSearch::rebuild(const QString& outputFolder) {
    return ArchiveIndex::writeWith(outputFolder, [&](const QList<ArchiveIndex::Page>& pages) {
        QList<Deck> decks;
        for (const ArchiveIndex::Page& page : pages)
            decks.append(readDeck(outputFolder, page));
        return withSegment(outputFolder, {}, decks);
    });
}

int ArchiveSearch::update(const QString& outputFolder, const QStringList& changedPages) {
    int added = 0;
    ArchiveIndex::writeLocked(outputFolder, [&] {
        QList<Segment> segments = readManifest(outputFolder);
        QStringList pages = changedPages;
        QList<int> sizes;
        for (const Segment& segment : segments)
            sizes.append(segment.decks);
        sizes.append(int(changedPages.size()));
        const qsizetype start = mergeStart(sizes);
        try {
            for (qsizetype i = start; i < segments.size(); ++i) {
                const QByteArray list =
                    AnchoredFolder(outputFolder).read(pagesListName(segments.at(i).id), 64 << 20);
                for (const QByteArray& line : list.split('\n'))
                    if (!line.isEmpty())
                        pages.append(LocalPath::fromNative(line));
            }
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
            return withSegment(outputFolder, {}, decks);
        }
        added = int(changedPages.size());
        if (changedPages.isEmpty()) {
            const QStringList record = removeUnnamedSegments(outputFolder, segments);
            QList<File> files{{recordName(), record.join(QLatin1Char('\n')).toLatin1() + '\n'}};
            files += frontPage();
            files.append({manifestName(), renderManifest(segments)});
            return files;
        }
        segments.erase(segments.begin() + start, segments.end());
        return withSegment(outputFolder, segments, readDecks(outputFolder, pages));
    });
    return added;
}
