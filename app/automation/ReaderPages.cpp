#include "app/automation/ReaderPages.h"

#include "app/automation/DeckLanguage.h"
#include "app/automation/DeckTitle.h"
#include "app/automation/HtmlPublisher.h"
#include "app/automation/PageSanitizer.h"
#include "app/automation/ReaderAssets.h"
#include "app/automation/SlideText.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"

#include <sys/stat.h>

#include <QBuffer>
#include <QImageReader>
#include <QRegularExpression>
#include <cmath>
#include <mutex>
#include <optional>

namespace {

constexpr char kReaderStart[] = "<!--deckvane-reader-->";
constexpr char kReaderEnd[] = "<!--/deckvane-reader-->";
// Scripts only from the deck's own folder, where the only script is
// Deckvane's: the publish step lets no file of the export's through that
// a page could load as one.
constexpr char kPolicy[] = "default-src 'none'; script-src 'self'; style-src 'self'; "
                           "img-src 'self'; base-uri 'none'; form-action 'none'";

std::mutex archiveMutex;
QString archiveRoot;
bool archiveIndexed = false;

QString esc(const QString& text) {
    return ReaderPages::escape(text);
}

QString encoded(const QString& name) {
    return QString::fromLatin1(LocalPath::toNative(name).toPercentEncoding());
}

// Pages and pictures are read whole; an output folder may hold anything
// under their names.
constexpr qint64 kLargestFile = qint64(64) << 20;

QSize pictureSize(const AnchoredFolder& staging, const QString& name) {
    QByteArray bytes;
    try {
        bytes = staging.read(name, kLargestFile);
    } catch (const FileError&) {
        return {};
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer, "jpeg").size();
}

QString slideName(int slide) {
    return QStringLiteral("Slide %1").arg(slide + 1);
}

struct Deck {
    QString name;     // the overview's file name
    QString folder;   // its companion folder's name
    QString title;    // the deck's name for readers
    QString language; // of its text
    QString home;     // from the overview to index.html, or empty
    int slides = 0;
    bool pdf = false;
    QList<SlideText> text;
    // Each slide's img<N>.jpg, measured once for its page and the overview.
    QList<QSize> pictures;
};

// The bar every page starts with, in Deckvane's own colours whatever the
// deck's are. `up` leads from the page to the overview's folder.
QString bar(const Deck& deck, const QString& up, const QString& label, const QString& body) {
    QString out =
        QStringLiteral("<header class=\"dv-bar\" lang=\"en\"><nav aria-label=\"%1\">").arg(label);
    if (!deck.home.isEmpty())
        out += QStringLiteral("<a class=\"dv-home\" rel=\"home\" href=\"%1\">All decks</a> ")
                   .arg(esc(up.isEmpty()
                                ? deck.home
                                : up + deck.home.mid(
                                           deck.home.startsWith(QLatin1String("./")) ? 2 : 0)));
    return out + body + QStringLiteral("</nav></header>\n");
}

QString pdfLink(const Deck& deck, const QString& folder) {
    if (!deck.pdf)
        return {};
    return QStringLiteral(" <a class=\"dv-pdf\" href=\"%1%2\" type=\"application/pdf\" "
                          "download=\"%3.pdf\">Download PDF</a>")
        .arg(esc(folder), QLatin1String(ReaderPages::kPdf),
             esc(deck.name.left(deck.name.size() - 4)));
}

QString head(const Deck& deck, const QString& title, const QString& assets, const QString& links) {
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"%1\">\n<head>\n<meta charset=\"utf-8\">\n"
                          "<meta http-equiv=\"Content-Security-Policy\" content=\"%2\">\n"
                          "<meta name=\"viewport\" content=\"width=device-width, "
                          "initial-scale=1\">\n<title>%3</title>\n"
                          "<link rel=\"stylesheet\" href=\"%4%5\">\n%6"
                          "<script src=\"%4%7\" defer></script>\n</head>\n")
        .arg(deck.language, QLatin1String(kPolicy), esc(title), esc(assets),
             QLatin1String(ReaderPages::kStyle), links, QLatin1String(ReaderPages::kScript));
}

QString blocks(const QList<SlideText::Block>& list) {
    QString out;
    int open = 0;
    for (const SlideText::Block& block : list) {
        const int depth = block.kind == SlideText::Block::Kind::Item ? block.depth : 0;
        for (; open < depth; ++open)
            out += QStringLiteral("<ul>");
        for (; open > depth; --open)
            out += QStringLiteral("</ul>");
        const QString text = esc(block.text).replace(QLatin1Char('\n'), QLatin1String("<br>"));
        switch (block.kind) {
        case SlideText::Block::Kind::Heading:
            out += QStringLiteral("<h3>%1</h3>\n").arg(text);
            break;
        case SlideText::Block::Kind::Item:
            out += QStringLiteral("<li>%1</li>\n").arg(text);
            break;
        case SlideText::Block::Kind::Paragraph:
            out += QStringLiteral("<p>%1</p>\n").arg(text);
            break;
        }
    }
    for (; open > 0; --open)
        out += QStringLiteral("</ul>");
    return out;
}

// The link areas of a slide's picture as the export (or an earlier run)
// wrote them, measured again for the picture the page shows. Only areas
// whose address the cleaner let through are there, and each is checked
// once more.
QString linkAreas(const QByteArray& page, const QString& prefix, double scale, int slide) {
    static const QRegularExpression area(QStringLiteral("<area\\b[^>]*>"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression attribute(QStringLiteral("([a-z]+)=\"([^\"]*)\""));
    QString out;
    auto it = area.globalMatch(QString::fromUtf8(page));
    while (it.hasNext()) {
        QHash<QString, QString> values;
        auto at = attribute.globalMatch(it.next().captured());
        while (at.hasNext()) {
            const auto match = at.next();
            values.insert(match.captured(1), SlideText::decode(match.captured(2)));
        }
        QString href = values.value(QStringLiteral("href"));
        if (!prefix.isEmpty() && href.startsWith(prefix))
            href = href.mid(prefix.size());
        if (href.isEmpty() || !PageSanitizer::isSafeAddress(href.toUtf8()))
            continue;
        QStringList coords;
        for (const QString& number :
             values.value(QStringLiteral("coords")).split(QLatin1Char(','))) {
            bool ok = false;
            const double value = number.trimmed().toDouble(&ok);
            if (!ok || coords.size() >= 200)
                break;
            coords.append(QString::number(qRound(value * scale)));
        }
        const QString shape = values.value(QStringLiteral("shape")).toLower();
        if (coords.isEmpty() ||
            (shape != QLatin1String("rect") && shape != QLatin1String("circle") &&
             shape != QLatin1String("poly")))
            continue;
        const QString alt = values.value(QStringLiteral("alt"));
        out += QStringLiteral("<area shape=\"%1\" coords=\"%2\" href=\"%3\" alt=\"%4\">\n")
                   .arg(shape, coords.join(QLatin1Char(',')), esc(href),
                        esc(alt.isEmpty() ? QStringLiteral("Link") : alt));
    }
    return out.isEmpty() ? out
                         : QStringLiteral("<map name=\"links%1\">\n%2</map>\n").arg(slide).arg(out);
}

QString slidePicture(const Deck& deck, const AnchoredFolder& staging, const QString& folder,
                     int slide, const QString& alt, bool map) {
    const QString number = QString::number(slide);
    const QString normal = QStringLiteral("img") + number + QStringLiteral(".jpg");
    const QString sharp = QStringLiteral("hdimg") + number + QStringLiteral(".jpg");
    const QSize size = deck.pictures.value(slide);
    QString out = QStringLiteral("<img class=\"dv-slide\" src=\"%1%2\"").arg(esc(folder), normal);
    if (staging.exists(sharp))
        out += QStringLiteral(" srcset=\"%1%2 %3w, %1%4 %5w\" sizes=\"(max-width: %3px) 100vw, "
                              "%3px\"")
                   .arg(esc(folder), normal)
                   .arg(size.isValid() ? size.width() : 800)
                   .arg(sharp)
                   .arg(pictureSize(staging, sharp).width());
    if (size.isValid())
        out += QStringLiteral(" width=\"%1\" height=\"%2\"").arg(size.width()).arg(size.height());
    if (map)
        out += QStringLiteral(" usemap=\"#links%1\"").arg(slide);
    return out + QStringLiteral(" alt=\"%1\">").arg(esc(alt));
}

QString slideTitle(const Deck& deck, int slide) {
    const QString title = deck.text.value(slide).title;
    return title.isEmpty() ? slideName(slide) : title;
}

// The bar's links to the slide before and after, on the pages `pattern`
// names ("img%1.html", "text%1.html").
QString moves(const Deck& deck, int slide, const QString& pattern) {
    QString out;
    if (slide > 0)
        out += QStringLiteral(" <a class=\"dv-move\" rel=\"prev\" href=\"%1\">"
                              "<span aria-hidden=\"true\">\u2190</span> Previous</a>")
                   .arg(pattern.arg(slide - 1));
    if (slide + 1 < deck.slides)
        out += QStringLiteral(" <a class=\"dv-move\" rel=\"next\" href=\"%1\">Next "
                              "<span aria-hidden=\"true\">\u2192</span></a>")
                   .arg(pattern.arg(slide + 1));
    return out;
}

QByteArray slidePage(const Deck& deck, const AnchoredFolder& staging, int slide,
                     const QString& areas) {
    const QString title = slideTitle(deck, slide);
    const QString pattern = QStringLiteral("img%1.html");
    const auto page = [&pattern](int n) { return pattern.arg(n); };
    QString links;
    if (slide > 0)
        links += QStringLiteral("<link rel=\"prev\" href=\"%1\">\n").arg(page(slide - 1));
    if (slide + 1 < deck.slides)
        links += QStringLiteral("<link rel=\"next\" href=\"%1\">\n").arg(page(slide + 1));
    const QString overview = QStringLiteral("../") + encoded(deck.name);
    QString out = head(deck, title + QStringLiteral(" \u2013 ") + deck.title, QString(), links);
    out += QStringLiteral("<body class=\"dv-page\" data-first=\"%1\" data-last=\"%2\">\n")
               .arg(page(0), page(deck.slides - 1));
    out += bar(deck, QStringLiteral("../"), QStringLiteral("Slides"),
               QStringLiteral("<a class=\"dv-deck\" rel=\"up\" href=\"%1\" lang=\"%2\">%3</a> "
                              "<span class=\"dv-pos\">Slide %4 of %5</span>%6%7")
                   .arg(esc(overview), deck.language, esc(deck.title))
                   .arg(slide + 1)
                   .arg(deck.slides)
                   .arg(moves(deck, slide, pattern), pdfLink(deck, QString())));
    out += QStringLiteral("<main>\n<h1>%1</h1>\n<p class=\"dv-picture\">%2</p>\n%3")
               .arg(esc(title),
                    slidePicture(deck, staging, QString(), slide, title, !areas.isEmpty()), areas);
    const SlideText text = deck.text.value(slide);
    if (!text.text.isEmpty())
        out += QStringLiteral("<section class=\"dv-text\" aria-labelledby=\"dv-text\">\n"
                              "<h2 id=\"dv-text\" lang=\"en\">Slide text</h2>\n") +
               blocks(text.text) + QStringLiteral("</section>\n");
    if (!text.notes.isEmpty())
        out += QStringLiteral("<section class=\"dv-text dv-notes\" aria-labelledby=\"dv-notes\">\n"
                              "<h2 id=\"dv-notes\" lang=\"en\">Notes</h2>\n") +
               blocks(text.notes) + QStringLiteral("</section>\n");
    out += QStringLiteral("</main>\n</body>\n</html>\n");
    return out.toUtf8();
}

QByteArray overviewPage(const Deck& deck, const AnchoredFolder& staging) {
    const QString folder = encoded(deck.folder) + QLatin1Char('/');
    const QString first = folder + QStringLiteral("img0.html");
    QString out = head(deck, deck.title, folder,
                       QStringLiteral("<link rel=\"next\" href=\"%1\">\n").arg(esc(first)));
    out +=
        QStringLiteral(
            "<body class=\"dv-page dv-overview\" data-first=\"%1\" data-last=\"%2img%3.html\">\n")
            .arg(esc(first), esc(folder))
            .arg(deck.slides - 1);
    out += bar(deck, QString(), QStringLiteral("Deck"),
               QStringLiteral("<span class=\"dv-pos\">%1 slides</span> <a class=\"dv-move\" "
                              "rel=\"next\" href=\"%2\">Start <span aria-hidden=\"true\">"
                              "\u2192</span></a>%3")
                   .arg(deck.slides)
                   .arg(esc(first), pdfLink(deck, folder)));
    out += QStringLiteral("<main>\n<h1>%1</h1>\n<ol class=\"dv-slides\">\n").arg(esc(deck.title));
    for (int slide = 0; slide < deck.slides; ++slide) {
        const QString number = QString::number(slide);
        const QString normal = QStringLiteral("img") + number + QStringLiteral(".jpg");
        QString thumb = QStringLiteral("thumb") + number + QStringLiteral(".jpg");
        if (!staging.exists(thumb))
            thumb = normal;
        const QSize full = deck.pictures.value(slide);
        const QSize size = thumb == normal ? full : pictureSize(staging, thumb);
        QString picture = QStringLiteral("<img src=\"%1%2\"").arg(esc(folder), thumb);
        // A dense screen shows the slide's own picture in the thumbnail's place.
        if (thumb != normal && size.isValid() && full.isValid())
            picture += QStringLiteral(" srcset=\"%1%2 %3w, %1%4 %5w\" sizes=\"%3px\"")
                           .arg(esc(folder), thumb)
                           .arg(size.width())
                           .arg(normal)
                           .arg(full.width());
        if (size.isValid())
            picture +=
                QStringLiteral(" width=\"%1\" height=\"%2\"").arg(size.width()).arg(size.height());
        out += QStringLiteral("<li><a href=\"%1img%2.html\">%3 alt=\"\"><span class=\"dv-n\">%4"
                              "</span> %5</a></li>\n")
                   .arg(esc(folder), number, picture)
                   .arg(slide + 1)
                   .arg(esc(slideTitle(deck, slide)));
    }
    out += QStringLiteral("</ol>\n</main>\n</body>\n</html>\n");
    return out.toUtf8();
}

// The export's text page with the reader's bar in place of its own row of
// links (or of the bar an earlier run put there), and the page's language.
QByteArray textPage(const Deck& deck, const QByteArray& page, int slide) {
    QByteArray out = page;
    const qsizetype oldStart = out.indexOf(kReaderStart);
    const qsizetype oldEnd = out.indexOf(kReaderEnd);
    qsizetype from = -1;
    qsizetype to = -1;
    if (oldStart >= 0 && oldEnd > oldStart) {
        from = oldStart;
        to = oldEnd + qsizetype(std::strlen(kReaderEnd));
    } else {
        const qsizetype body = out.indexOf("<body");
        const qsizetype bodyEnd = body < 0 ? -1 : out.indexOf('>', body);
        if (bodyEnd < 0)
            return out;
        from = to = bodyEnd + 1;
        static const QRegularExpression first(QStringLiteral("^\\s*<center>"));
        if (first.match(QString::fromLatin1(out.mid(from, 64))).hasMatch()) {
            const qsizetype end = out.indexOf("</center>", from);
            if (end >= 0)
                to = end + 9;
        }
    }
    QString block = QLatin1String(kReaderStart) +
                    QStringLiteral("<link rel=\"stylesheet\" href=\"%1\">\n")
                        .arg(QLatin1String(ReaderPages::kStyle)) +
                    bar(deck, QStringLiteral("../"), QStringLiteral("Slides"),
                        QStringLiteral("<a class=\"dv-deck\" rel=\"up\" href=\"../%1\" "
                                       "lang=\"%2\">%3</a> <span class=\"dv-pos\">Slide %4 of "
                                       "%5</span>%6 <a href=\"img%7.html\">Slide picture</a>")
                            .arg(esc(encoded(deck.name)), deck.language, esc(deck.title))
                            .arg(slide + 1)
                            .arg(deck.slides)
                            .arg(moves(deck, slide, QStringLiteral("text%1.html")))
                            .arg(slide));
    if (deck.text.value(slide).title.isEmpty())
        block += QStringLiteral("<h1 class=\"dv-title\">%1</h1>\n").arg(slideName(slide));
    block += QLatin1String(kReaderEnd);
    out = out.left(from) + block.toUtf8() + out.mid(to);
    // An empty heading is read out as one with nothing to say.
    out.replace("<h1></h1>", "");
    static const QRegularExpression html(QStringLiteral("<html\\b[^>]*>"));
    const auto match = html.match(QString::fromLatin1(out.left(4096)));
    if (match.hasMatch())
        out = out.left(match.capturedStart()) +
              QStringLiteral("<html lang=\"%1\">").arg(deck.language).toLatin1() +
              out.mid(match.capturedEnd());
    return out;
}

} // namespace

void ReaderPages::setArchive(const QString& root, bool indexed) {
    std::lock_guard lock(archiveMutex);
    archiveRoot = root;
    archiveIndexed = indexed;
}

QString ReaderPages::homeLink(const QString& root, const QString& pageFolder) {
    QString base = root;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    QString folder = pageFolder;
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    // "./" keeps the front page apart from the export's own file names,
    // which the completeness check looks for beside the page.
    if (folder == base)
        return QStringLiteral("./index.html");
    const QString prefix = base == QLatin1String("/") ? base : base + QLatin1Char('/');
    if (!folder.startsWith(prefix))
        return {};
    const QStringList parts = folder.mid(prefix.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts)
        if (part == QLatin1String("..") || part == QLatin1String("."))
            return {};
    return QStringLiteral("../").repeated(parts.size()) + QStringLiteral("index.html");
}

bool ReaderPages::isPlainPdf(const QByteArray& pdf) {
    if (!pdf.startsWith("%PDF-") || !pdf.right(32).contains("%%EOF"))
        return false;
    // A name ends where a delimiter or a blank begins.
    const auto endsName = [&](qsizetype at) {
        return at >= pdf.size() || QByteArrayView("()<>[]{}/% \t\r\n\f").contains(pdf[at]) ||
               pdf[at] == '\0';
    };
    const auto nextToken = [&](qsizetype at) {
        while (at < pdf.size() && std::isspace(static_cast<unsigned char>(pdf[at])))
            ++at;
        return at < pdf.size() ? pdf[at] : '\0';
    };
    for (const QByteArray name : {"/JavaScript", "/JS", "/Launch", "/SubmitForm", "/ImportData",
                                  "/EmbeddedFile", "/EmbeddedFiles", "/RichMedia", "/XFA", "/GoToR",
                                  "/GoToE", "/AA", "/OpenAction", "/URI"}) {
        for (qsizetype at = pdf.indexOf(name); at >= 0; at = pdf.indexOf(name, at + 1)) {
            const qsizetype end = at + name.size();
            if (!endsName(end))
                continue;
            // The office opens the PDF at its first page, a plain
            // destination, and writes a link's address as a literal string.
            if (name == "/OpenAction" && nextToken(end) == '[')
                continue;
            if (name == "/URI") {
                qsizetype open = end;
                while (open < pdf.size() && std::isspace(static_cast<unsigned char>(pdf[open])))
                    ++open;
                if (open >= pdf.size() || pdf[open] != '(')
                    continue; // the /URI action's type, or a dictionary key
                const qsizetype close = pdf.indexOf(')', open);
                const QByteArray address = pdf.mid(open + 1, close - open - 1);
                if (close > open && !address.contains('\\') &&
                    PageSanitizer::isSafeAddress(address))
                    continue;
            }
            return false;
        }
    }
    return true;
}

double ReaderPages::contrast(QRgb first, QRgb second) {
    const auto luminance = [](QRgb colour) {
        const auto channel = [](int value) {
            const double c = value / 255.0;
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour)) +
               0.0722 * channel(qBlue(colour));
    };
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QString ReaderPages::escape(const QString& text) {
    QString out;
    out.reserve(text.size() + 16);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\'':
            out += QLatin1String("&#39;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool ReaderPages::isOwnFile(const QString& name) {
    return name == QLatin1String(kPdf) || name == QLatin1String(kScript) ||
           name == QLatin1String(kStyle);
}

void ReaderPages::build(const AnchoredFolder& staging, const QString& stagedPage,
                        const QString& outputPath, const QString& deckFileName,
                        const Export& made) {
    const auto read = [&](const QString& name) { return staging.read(name, kLargestFile); };
    Deck deck;
    deck.name = LocalPath::fileName(outputPath);
    deck.folder = HtmlPublisher::companionFolderName(outputPath);
    while (staging.exists(QStringLiteral("img%1.jpg").arg(deck.slides)))
        ++deck.slides;
    if (deck.slides == 0)
        return;
    // Each text page is read once, for the slide's text and to be rewritten.
    QList<std::optional<QByteArray>> textPages;
    for (int slide = 0; slide < deck.slides; ++slide) {
        const QString text = QStringLiteral("text%1.html").arg(slide);
        textPages.append(staging.exists(text) ? std::optional(read(text)) : std::nullopt);
        deck.text.append(textPages.last() ? SlideText::read(*textPages.last()) : SlideText());
        deck.pictures.append(pictureSize(staging, QStringLiteral("img%1.jpg").arg(slide)));
    }
    QString words;
    for (const SlideText& slide : std::as_const(deck.text))
        words += slide.plain() + QLatin1Char(' ');
    deck.language = DeckLanguage::guess(words);
    // The deck's name as the title the export gave it says, which the text
    // pages keep (an overview made here has the name, which may be another
    // deck's file name when this page is a copy's).
    deck.title = DeckTitle::of((textPages[0] ? *textPages[0] : read(stagedPage)).left(8192),
                               deckFileName.isEmpty() ? deck.name : deckFileName);

    const qsizetype slash = outputPath.lastIndexOf(QLatin1Char('/'));
    const QString pageFolder = slash > 0 ? outputPath.left(slash) : QStringLiteral("/");
    {
        std::lock_guard lock(archiveMutex);
        const QString root = archiveRoot.isEmpty() ? pageFolder : archiveRoot;
        const QString link = homeLink(root, pageFolder);
        const auto hasIndex = [&] {
            try {
                return AnchoredFolder(root).exists(QStringLiteral("index.html"));
            } catch (const FileError&) {
                return false;
            }
        };
        if (!link.isEmpty() && ((archiveIndexed && !archiveRoot.isEmpty()) || hasIndex()))
            deck.home = link;
    }
    const QString pdf = QLatin1String(kPdf);
    if (staging.exists(pdf)) {
        struct stat info {};
        deck.pdf = staging.status(pdf, &info) && S_ISREG(info.st_mode) && isPlainPdf(read(pdf));
        if (!deck.pdf)
            staging.removeTree(pdf);
    }

    const QString prefix = encoded(deck.folder) + QLatin1Char('/');
    const double scale = made.pictureWidth > 0 ? 800.0 / made.pictureWidth : 1.0;
    for (int slide = 0; slide < deck.slides; ++slide) {
        const QString name = QStringLiteral("img%1.html").arg(slide);
        const bool own = staging.exists(name);
        QByteArray exported;
        if (own || slide == 0)
            exported = read(own ? name : stagedPage);
        const QString areas = linkAreas(exported, own ? QString() : prefix, scale, slide);
        staging.write(name, slidePage(deck, staging, slide, areas));
        if (const auto& page = textPages[slide])
            staging.write(QStringLiteral("text%1.html").arg(slide), textPage(deck, *page, slide));
    }
    staging.write(stagedPage, overviewPage(deck, staging));
    staging.write(QLatin1String(kScript), QByteArray(ReaderAssets::kScript));
    staging.write(QLatin1String(kStyle), QByteArray(ReaderAssets::kStyle));
}
