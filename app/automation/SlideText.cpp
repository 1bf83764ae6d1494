#include "app/automation/SlideText.h"

#include <QHash>
#include <QRegularExpression>
#include <cstring>

namespace {

constexpr char kReaderStart[] = "<!--deckvane-reader-->";
constexpr char kReaderEnd[] = "<!--/deckvane-reader-->";

// The body after the navigation row the export (or the reader) puts first.
QString bodyText(const QString& page) {
    const qsizetype body = page.indexOf(QLatin1String("<body"), 0, Qt::CaseInsensitive);
    qsizetype at = body < 0 ? 0 : page.indexOf(QLatin1Char('>'), body) + 1;
    const qsizetype reader = page.indexOf(QLatin1String(kReaderEnd), at);
    if (reader >= 0)
        return page.mid(reader + qsizetype(std::strlen(kReaderEnd)));
    static const QRegularExpression first(QStringLiteral("^\\s*<center>"));
    if (first.match(QStringView(page).mid(at)).hasMatch()) {
        const qsizetype end = page.indexOf(QLatin1String("</center>"), at, Qt::CaseInsensitive);
        if (end >= 0)
            at = end + 9;
    }
    return page.mid(at);
}

} // namespace

QString SlideText::decode(const QString& text) {
    static const QRegularExpression reference(
        QStringLiteral("&(#[0-9]{1,7}|#[xX][0-9a-fA-F]{1,6}|amp|lt|gt|quot|apos|nbsp);"));
    QString out;
    qsizetype last = 0;
    auto it = reference.globalMatch(text);
    while (it.hasNext()) {
        const auto match = it.next();
        out += QStringView(text).mid(last, match.capturedStart() - last);
        last = match.capturedEnd();
        const QString name = match.captured(1);
        char32_t code = 0;
        if (name.startsWith(QLatin1Char('#'))) {
            const bool hex =
                name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'));
            code = char32_t(name.mid(hex ? 2 : 1).toUInt(nullptr, hex ? 16 : 10));
        } else {
            static const QHash<QString, char32_t> named{
                {QStringLiteral("amp"), U'&'},   {QStringLiteral("lt"), U'<'},
                {QStringLiteral("gt"), U'>'},    {QStringLiteral("quot"), U'"'},
                {QStringLiteral("apos"), U'\''}, {QStringLiteral("nbsp"), U'\u00a0'}};
            code = named.value(name);
        }
        // Controls and what is no character stand for nothing a reader sees.
        if ((code < 0x20 && code != U'\t' && code != U'\n') || code == 0x7f ||
            (code >= 0xd800 && code <= 0xdfff) || code > 0x10ffff)
            code = U'\ufffd';
        out += QString::fromUcs4(&code, 1);
    }
    out += QStringView(text).mid(last);
    return out;
}

SlideText SlideText::read(const QByteArray& textPage) {
    SlideText slide;
    const QString body = bodyText(QString::fromUtf8(textPage));
    static const QRegularExpression tag(QStringLiteral("<(/?)([a-zA-Z][a-zA-Z0-9]*)[^>]*>"));
    QList<Block>* into = &slide.text;
    Block current;
    bool inTitle = false;
    bool inNotesHeading = false;
    int depth = 0;
    const auto flush = [&] {
        QString text = decode(current.text);
        QStringList lines;
        for (const QString& line : text.split(QLatin1Char('\n')))
            if (!line.simplified().isEmpty())
                lines.append(line.simplified());
        if (inTitle) {
            if (slide.title.isEmpty())
                slide.title = lines.join(QLatin1Char(' '));
        } else if (!inNotesHeading && !lines.isEmpty()) {
            current.text = lines.join(QLatin1Char('\n'));
            into->append(current);
        }
        current = Block();
        inTitle = false;
        inNotesHeading = false;
    };
    qsizetype last = 0;
    auto it = tag.globalMatch(body);
    while (it.hasNext()) {
        const auto match = it.next();
        current.text += QStringView(body).mid(last, match.capturedStart() - last);
        last = match.capturedEnd();
        const bool end = !match.captured(1).isEmpty();
        const QString name = match.captured(2).toLower();
        if (name == QLatin1String("br")) {
            current.text += QLatin1Char('\n');
        } else if (name == QLatin1String("ul") || name == QLatin1String("ol")) {
            flush();
            depth = std::max(0, depth + (end ? -1 : 1));
        } else if (name.size() == 2 && name[0] == QLatin1Char('h') && name[1] >= QLatin1Char('1') &&
                   name[1] <= QLatin1Char('6')) {
            flush();
            if (!end && name == QLatin1String("h1"))
                inTitle = true;
            else if (!end && name == QLatin1String("h3")) {
                inNotesHeading = true;
                into = &slide.notes;
            } else if (!end)
                current.kind = Block::Kind::Heading;
        } else if (name == QLatin1String("p") || name == QLatin1String("div") ||
                   name == QLatin1String("li") || name == QLatin1String("center") ||
                   name == QLatin1String("tr") || name == QLatin1String("table") ||
                   name == QLatin1String("body") || name == QLatin1String("html")) {
            const bool wasTitle = inTitle;
            flush();
            if (!end && name == QLatin1String("li")) {
                current.kind = Block::Kind::Item;
                current.depth = std::max(1, depth);
            }
            inTitle = wasTitle && !end;
        } else if (name == QLatin1String("td") || name == QLatin1String("th")) {
            current.text += QLatin1Char(' ');
        }
    }
    current.text += QStringView(body).mid(last);
    flush();
    return slide;
}

QString SlideText::plain() const {
    QStringList parts{title};
    for (const QList<Block>* blocks : {&text, &notes})
        for (const Block& block : *blocks)
            parts.append(block.text);
    return parts.join(QLatin1Char(' '));
}
