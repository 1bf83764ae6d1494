#include "app/automation/PageSanitizer.h"

#include <QByteArrayList>
#include <QSet>

namespace {

// What the export writes, and nothing that runs, embeds or submits.
const QSet<QByteArray>& keptElements() {
    static const QSet<QByteArray> names{
        "html",   "head",     "title",      "meta",    "body", "a",   "img", "p",
        "br",     "hr",       "h1",         "h2",      "h3",   "h4",  "h5",  "h6",
        "table",  "tbody",    "thead",      "tfoot",   "tr",   "td",  "th",  "caption",
        "col",    "colgroup", "center",     "font",    "b",    "i",   "u",   "s",
        "strike", "em",       "strong",     "sup",     "sub",  "ul",  "ol",  "li",
        "dl",     "dt",       "dd",         "div",     "span", "pre", "big", "small",
        "tt",     "code",     "blockquote", "address", "nobr", "map", "area"};
    return names;
}

// Attributes a browser reads as an address.
const QSet<QByteArray>& addressAttributes() {
    static const QSet<QByteArray> names{
        "href", "src",  "action",   "background", "lowsrc", "dynsrc",     "longdesc", "usemap",
        "cite", "data", "codebase", "formaction", "poster", "xlink:href", "srcset",   "ping"};
    return names;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

struct Attribute {
    QByteArray name; // lower case
    QByteArray value;
};

// One tag as a browser's tokenizer reads it, from "<" to ">".
struct Tag {
    bool complete = false;
    bool end = false;
    QByteArray name; // lower case
    QList<Attribute> attributes;
    qsizetype next = 0; // just past the tag
};

Tag readTag(const QByteArray& html, qsizetype at) {
    Tag tag;
    const qsizetype n = html.size();
    qsizetype i = at + 1;
    if (i < n && html[i] == '/') {
        tag.end = true;
        ++i;
    }
    while (i < n && !isSpace(html[i]) && html[i] != '/' && html[i] != '>')
        tag.name += char(std::tolower(static_cast<unsigned char>(html[i++])));
    for (;;) {
        while (i < n && (isSpace(html[i]) || html[i] == '/'))
            ++i;
        if (i >= n)
            return tag;
        if (html[i] == '>')
            break;
        Attribute attribute;
        do
            attribute.name += char(std::tolower(static_cast<unsigned char>(html[i++])));
        while (i < n && !isSpace(html[i]) && html[i] != '/' && html[i] != '>' && html[i] != '=');
        while (i < n && isSpace(html[i]))
            ++i;
        if (i < n && html[i] == '=') {
            ++i;
            while (i < n && isSpace(html[i]))
                ++i;
            if (i >= n)
                return tag;
            if (html[i] == '"' || html[i] == '\'') {
                const qsizetype close = html.indexOf(html[i], i + 1);
                if (close < 0)
                    return tag;
                attribute.value = html.mid(i + 1, close - i - 1);
                i = close + 1;
            } else {
                const qsizetype start = i;
                while (i < n && !isSpace(html[i]) && html[i] != '>')
                    ++i;
                attribute.value = html.mid(start, i - start);
            }
        }
        tag.attributes.append(attribute);
    }
    tag.complete = true;
    tag.next = i + 1;
    return tag;
}

// Character references decoded as far as they matter for reading a scheme:
// numeric ones (with or without ";") and the named ones that spell a colon
// or characters a browser drops from an address.
QByteArray decodeReferences(const QByteArray& value) {
    QByteArray out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '&') {
            out += value[i];
            continue;
        }
        const QByteArray rest = value.mid(i + 1, 12).toLower();
        if (rest.startsWith('#')) {
            const bool hex = rest.size() > 1 && rest[1] == 'x';
            qsizetype j = hex ? 2 : 1;
            uint code = 0;
            bool any = false;
            while (j < rest.size() && std::isxdigit(static_cast<unsigned char>(rest[j])) &&
                   (hex || std::isdigit(static_cast<unsigned char>(rest[j])))) {
                code = code * (hex ? 16 : 10) + uint(QByteArray(1, rest[j]).toUInt(nullptr, 16));
                code = std::min(code, 0x110000u);
                any = true;
                ++j;
            }
            if (any) {
                if (j < rest.size() && rest[j] == ';')
                    ++j;
                out += code < 0x80 ? QByteArray(1, char(code)) : QByteArray("\x7f");
                i += j;
                continue;
            }
        }
        static const QList<QPair<QByteArray, char>> named{
            {"colon;", ':'}, {"tab;", '\t'}, {"newline;", '\n'}, {"sol;", '/'}};
        bool done = false;
        for (const auto& [name, character] : named) {
            if (rest.startsWith(name)) {
                out += character;
                i += name.size();
                done = true;
                break;
            }
        }
        if (!done)
            out += '&';
    }
    return out;
}

// A style attribute may load things (url()) or, in old browsers, run them.
bool isSafeStyle(const QByteArray& value) {
    const QByteArray text = decodeReferences(value).toLower();
    return !text.contains("url(") && !text.contains("expression") && !text.contains("javascript") &&
           !text.contains("@import") && !text.contains('\\');
}

bool keepsTag(const Tag& tag) {
    if (!keptElements().contains(tag.name))
        return false;
    for (const Attribute& attribute : tag.attributes) {
        if (attribute.name.startsWith("on"))
            return false;
        // A refresh is a redirect, to any address.
        if (tag.name == "meta" && attribute.name == "http-equiv" &&
            attribute.value.trimmed().toLower() != "content-type")
            return false;
    }
    return true;
}

bool isAttributeName(const QByteArray& name) {
    for (const char c : name) {
        if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '-' && c != '_' && c != ':')
            return false;
    }
    return !name.isEmpty();
}

// The tag as plain markup: attribute values in double quotes, addresses and
// styles that are not safe left out.
QByteArray writeTag(const Tag& tag) {
    QByteArray out = (tag.end ? "</" : "<") + tag.name;
    if (!tag.end) {
        for (const Attribute& attribute : tag.attributes) {
            if (!isAttributeName(attribute.name) ||
                (addressAttributes().contains(attribute.name) &&
                 !PageSanitizer::isSafeAddress(attribute.value)) ||
                (attribute.name == "style" && !isSafeStyle(attribute.value)))
                continue;
            QByteArray value = attribute.value;
            value.replace('"', "&quot;");
            out += ' ' + attribute.name + "=\"" + value + '"';
        }
    }
    return out + '>';
}

// Text shown as it was written: every "<" escaped, so no tag starts in it.
QByteArray asText(const QByteArray& html) {
    QByteArray out = html;
    return out.replace('<', "&lt;");
}

// Where a comment opened at `at` ends for a browser, just past its end.
qsizetype commentEnd(const QByteArray& html, qsizetype at) {
    const qsizetype body = at + 4;
    if (html.mid(body, 1) == ">")
        return body + 1;
    if (html.mid(body, 2) == "->")
        return body + 2;
    qsizetype end = html.size();
    for (const char* close : {"-->", "--!>"}) {
        const qsizetype found = html.indexOf(close, body);
        if (found >= 0)
            end = std::min(end, found + qsizetype(std::strlen(close)));
    }
    return end;
}

} // namespace

QByteArray PageSanitizer::headPrelude() {
    return QByteArray("<meta http-equiv=\"Content-Security-Policy\" content=\"") +
           kContentSecurityPolicy +
           "\">\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<style>img { max-width: 100%; height: auto; }</style>\n";
}

bool PageSanitizer::isSafeAddress(const QByteArray& value) {
    QByteArray address;
    for (const char c : decodeReferences(value)) {
        // A browser drops tabs and line breaks anywhere and blanks and
        // controls at the ends; dropping them everywhere reads the same
        // scheme or a stricter one.
        if (static_cast<unsigned char>(c) > 0x20)
            address += char(std::tolower(static_cast<unsigned char>(c)));
    }
    const qsizetype colon = address.indexOf(':');
    if (colon < 0)
        return true;
    for (const char c : {'/', '?', '#'}) {
        const qsizetype before = address.indexOf(c);
        if (before >= 0 && before < colon)
            return true;
    }
    const QByteArray scheme = address.left(colon);
    return scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "mailto";
}

QByteArray PageSanitizer::clean(const QByteArray& html) {
    QByteArray out;
    out.reserve(html.size() + 512);
    qsizetype afterDoctype = -1;
    qsizetype afterHtml = -1;
    qsizetype afterHead = -1;
    const qsizetype n = html.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype open = html.indexOf('<', i);
        if (open < 0) {
            out += QByteArrayView(html).sliced(i);
            break;
        }
        out += QByteArrayView(html).sliced(i, open - i);
        i = open;
        const QByteArrayView rest = QByteArrayView(html).sliced(i);
        if (rest.startsWith("<!--")) {
            const qsizetype end = commentEnd(html, i);
            out += QByteArrayView(html).sliced(i, end - i);
            i = end;
            continue;
        }
        if (rest.startsWith("<!") || rest.startsWith("<?")) {
            // A doctype, or what a browser takes for a comment up to ">".
            const qsizetype close = html.indexOf('>', i);
            const qsizetype end = close < 0 ? n : close + 1;
            const QByteArray declaration = html.mid(i, end - i);
            if (declaration.toLower().startsWith("<!doctype")) {
                out += declaration;
                if (afterDoctype < 0)
                    afterDoctype = out.size();
            } else {
                out += asText(declaration);
            }
            i = end;
            continue;
        }
        const bool endTag = rest.startsWith("</");
        if (rest.size() < (endTag ? 3 : 2) || !isLetter(rest[endTag ? 2 : 1])) {
            out += "&lt;";
            ++i;
            continue;
        }
        const Tag tag = readTag(html, i);
        if (!tag.complete) {
            out += asText(html.mid(i));
            break;
        }
        if (!keepsTag(tag)) {
            out += asText(html.mid(i, tag.next - i));
            i = tag.next;
            continue;
        }
        out += writeTag(tag);
        i = tag.next;
        if (!tag.end && tag.name == "html" && afterHtml < 0)
            afterHtml = out.size();
        if (!tag.end && tag.name == "head" && afterHead < 0)
            afterHead = out.size();
        if (!tag.end && tag.name == "title") {
            // A title's content is text up to "</title" for a browser,
            // whatever looks like a tag in it.
            const qsizetype close = html.toLower().indexOf("</title", i);
            const qsizetype end = close < 0 ? n : close;
            out += asText(html.mid(i, end - i));
            i = end;
        }
    }
    const qsizetype at = afterHead >= 0      ? afterHead
                         : afterHtml >= 0    ? afterHtml
                         : afterDoctype >= 0 ? afterDoctype
                                             : 0;
    out.insert(at, (at > 0 ? "\n" : "") + headPrelude());
    return out;
}
