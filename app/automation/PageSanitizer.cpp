#include "app/automation/PageSanitizer.h"

#include <QList>
#include <cstring>

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

// Attributes that only describe: kept as written.
const QSet<QByteArray>& plainAttributes() {
    static const QSet<QByteArray> names{
        "align",      "valign", "width",       "height",      "alt",     "title",   "color",
        "bgcolor",    "text",   "link",        "vlink",       "alink",   "name",    "shape",
        "coords",     "border", "cellpadding", "cellspacing", "colspan", "rowspan", "nowrap",
        "face",       "size",   "lang",        "dir",         "id",      "class",   "clear",
        "hspace",     "vspace", "start",       "type",        "value",   "compact", "noshade",
        "summary",    "abbr",   "scope",       "headers",     "span",    "charset", "content",
        "http-equiv", "target"};
    return names;
}

// Attributes a browser reads as an address; every other one is dropped.
const QSet<QByteArray>& addressAttributes() {
    static const QSet<QByteArray> names{"href", "src", "background"};
    return names;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isAlphanumeric(char c) {
    return isLetter(c) || isDigit(c);
}

char lowered(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    const char l = lowered(c);
    return l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
}

void appendUtf8(QByteArray* out, char32_t c) {
    if (c < 0x80) {
        *out += char(c);
    } else if (c < 0x800) {
        *out += char(0xC0 | (c >> 6));
        *out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out += char(0xE0 | (c >> 12));
        *out += char(0x80 | ((c >> 6) & 0x3F));
        *out += char(0x80 | (c & 0x3F));
    } else {
        *out += char(0xF0 | (c >> 18));
        *out += char(0x80 | ((c >> 12) & 0x3F));
        *out += char(0x80 | ((c >> 6) & 0x3F));
        *out += char(0x80 | (c & 0x3F));
    }
}

// A numeric reference's character: what a browser makes of the number.
char32_t numericCharacter(char32_t code) {
    // The C1 range is read as windows-1252, as the standard says.
    static const char16_t kC1[32] = {
        0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0xFFFD;
    if (code >= 0x80 && code <= 0x9F)
        return kC1[code - 0x80];
    return code;
}

// Named references that spell characters an address or a style is made
// of, and those the export writes. Any other name is left as text, and the
// value is written back with its "&" escaped, so a browser reads it as text
// too.
struct Named {
    const char* name;
    char32_t character;
};
constexpr Named kNamed[] = {{"amp;", '&'},
                            {"AMP;", '&'},
                            {"lt;", '<'},
                            {"LT;", '<'},
                            {"gt;", '>'},
                            {"GT;", '>'},
                            {"quot;", '"'},
                            {"QUOT;", '"'},
                            {"apos;", '\''},
                            {"nbsp;", 0xA0},
                            {"colon;", ':'},
                            {"Tab;", '\t'},
                            {"NewLine;", '\n'},
                            {"sol;", '/'},
                            {"bsol;", '\\'},
                            {"semi;", ';'},
                            {"period;", '.'},
                            {"comma;", ','},
                            {"excl;", '!'},
                            {"num;", '#'},
                            {"dollar;", '$'},
                            {"percnt;", '%'},
                            {"lpar;", '('},
                            {"rpar;", ')'},
                            {"ast;", '*'},
                            {"midast;", '*'},
                            {"plus;", '+'},
                            {"equals;", '='},
                            {"quest;", '?'},
                            {"commat;", '@'},
                            {"lsqb;", '['},
                            {"lbrack;", '['},
                            {"rsqb;", ']'},
                            {"rbrack;", ']'},
                            {"Hat;", '^'},
                            {"lowbar;", '_'},
                            {"UnderBar;", '_'},
                            {"grave;", '`'},
                            {"DiacriticalGrave;", '`'},
                            {"lcub;", '{'},
                            {"lbrace;", '{'},
                            {"rcub;", '}'},
                            {"rbrace;", '}'},
                            {"verbar;", '|'},
                            {"vert;", '|'},
                            {"VerticalLine;", '|'},
                            {"copy;", 0xA9},
                            {"reg;", 0xAE},
                            // Without the ";", as old pages wrote them.
                            {"amp", '&'},
                            {"AMP", '&'},
                            {"lt", '<'},
                            {"LT", '<'},
                            {"gt", '>'},
                            {"GT", '>'},
                            {"quot", '"'},
                            {"QUOT", '"'},
                            {"nbsp", 0xA0},
                            {"copy", 0xA9},
                            {"reg", 0xAE}};

// Decodes the reference at value[at] == '&' into out; returns where the
// text after it starts, or at + 1 when nothing there is a reference.
qsizetype decodeReference(const QByteArray& value, qsizetype at, QByteArray* out) {
    const qsizetype n = value.size();
    qsizetype i = at + 1;
    if (i < n && value[i] == '#') {
        ++i;
        const bool hex = i < n && (value[i] == 'x' || value[i] == 'X');
        if (hex)
            ++i;
        const qsizetype digits = i;
        char32_t code = 0;
        // Any number of digits; a number past the last character stays
        // past it, however long it goes on.
        for (; i < n && (hex ? hexValue(value[i]) >= 0 : isDigit(value[i])); ++i)
            code =
                std::min<char32_t>(code * (hex ? 16 : 10) + char32_t(hexValue(value[i])), 0x110000);
        if (i == digits) {
            *out += '&';
            return at + 1;
        }
        if (i < n && value[i] == ';')
            ++i;
        appendUtf8(out, numericCharacter(code));
        return i;
    }
    const Named* best = nullptr;
    qsizetype bestLength = 0;
    for (const Named& named : kNamed) {
        const qsizetype length = qsizetype(std::strlen(named.name));
        if (length > bestLength && i + length <= n &&
            std::memcmp(value.constData() + i, named.name, size_t(length)) == 0) {
            best = &named;
            bestLength = length;
        }
    }
    // In an attribute a name without ";" before a letter, a digit or "="
    // is text.
    const qsizetype after = i + bestLength;
    if (!best || (best->name[bestLength - 1] != ';' && after < n &&
                  (isAlphanumeric(value[after]) || value[after] == '='))) {
        *out += '&';
        return at + 1;
    }
    appendUtf8(out, best->character);
    return after;
}

// A value written back so that a browser decodes it to exactly these bytes.
QByteArray encodeValue(const QByteArray& value) {
    QByteArray out;
    out.reserve(value.size() + 16);
    for (const char c : value) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// The address as a browser's URL parser sees its scheme: blanks and
// controls gone (a browser drops tabs and line breaks anywhere and the
// rest at the ends; dropping them everywhere reads the same scheme or a
// stricter one), letters lowered.
QByteArray schemeView(const QByteArray& decoded) {
    QByteArray address;
    address.reserve(decoded.size());
    for (const char c : decoded) {
        if (static_cast<unsigned char>(c) > 0x20)
            address += lowered(c);
    }
    return address;
}

// The scheme, empty for a relative address.
QByteArray schemeOf(const QByteArray& address) {
    const qsizetype colon = address.indexOf(':');
    if (colon < 0)
        return {};
    for (const char c : {'/', '?', '#'}) {
        const qsizetype before = address.indexOf(c);
        if (before >= 0 && before < colon)
            return {};
    }
    return address.left(colon);
}

// Whether an address, already decoded, may stay a link (see isSafeAddress).
bool isSafeDecodedAddress(const QByteArray& decoded) {
    const QByteArray scheme = schemeOf(schemeView(decoded));
    return scheme.isEmpty() || scheme == "http" || scheme == "https" || scheme == "ftp" ||
           scheme == "mailto";
}

// An address relative to the page: no scheme, and not one that leaves the
// page's site ("//host", "\\host") or starts at its root.
bool isRelative(const QByteArray& decoded) {
    const QByteArray address = schemeView(decoded);
    return schemeOf(address).isEmpty() && !address.startsWith('/') && !address.startsWith('\\');
}

// A style attribute (decoded) may load things through url(), image-set()
// and the strings in it; only files relative to the page may be loaded.
// Escapes, which could spell anything, and what old browsers ran, go.
bool isSafeStyle(const QByteArray& decoded) {
    const QByteArray text = decoded.toLower();
    for (const char* word :
         {"\\", "expression", "javascript", "vbscript", "@import", "behavior", "binding", "<"})
        if (text.contains(word))
            return false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        QByteArray target;
        if (text[i] == '"' || text[i] == '\'') {
            const qsizetype close = text.indexOf(text[i], i + 1);
            if (close < 0)
                return false;
            target = text.mid(i + 1, close - i - 1);
            i = close;
        } else if (QByteArrayView(text).sliced(i).startsWith("url(") ||
                   QByteArrayView(text).sliced(i).startsWith("src(")) {
            const qsizetype close = text.indexOf(')', i + 4);
            if (close < 0)
                return false;
            target = text.mid(i + 4, close - i - 4).trimmed();
            if (target.startsWith('"') || target.startsWith('\''))
                continue; // the string is read as one next
            i = close;
        } else {
            continue;
        }
        if (!isRelative(target))
            return false;
    }
    return true;
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
        tag.name += lowered(html[i++]);
    for (;;) {
        while (i < n && (isSpace(html[i]) || html[i] == '/'))
            ++i;
        if (i >= n)
            return tag;
        if (html[i] == '>')
            break;
        Attribute attribute;
        // An "=" that starts a name is part of it.
        do
            attribute.name += lowered(html[i++]);
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
            } else if (html[i] != '>') {
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

bool keepsTag(const Tag& tag) {
    if (!keptElements().contains(tag.name))
        return false;
    for (const Attribute& attribute : tag.attributes) {
        if (attribute.name.startsWith("on"))
            return false;
        // A refresh is a redirect, to any address.
        if (tag.name == "meta" && attribute.name == "http-equiv" &&
            PageSanitizer::decodeReferences(attribute.value).trimmed().toLower() != "content-type")
            return false;
    }
    return true;
}

// The address without what follows "#" or "?".
QByteArray pathOf(const QByteArray& address) {
    qsizetype end = address.size();
    for (const char c : {'#', '?'}) {
        const qsizetype at = address.indexOf(c);
        if (at >= 0)
            end = std::min(end, at);
    }
    return address.left(end);
}

// Whether an attribute other than a plain one keeps its value, judged on
// the value as a browser decodes it; one the export never writes goes.
bool keepsDecodedValue(const QByteArray& name, const QByteArray& decoded,
                       const QSet<QByteArray>& deadLinks) {
    // A link may lead anywhere plain; what the page loads comes from
    // beside it.
    if (addressAttributes().contains(name))
        return (name == "href" ? isSafeDecodedAddress(decoded) : isRelative(decoded)) &&
               !deadLinks.contains(pathOf(decoded));
    if (name == "usemap")
        return decoded.startsWith('#');
    if (name == "style")
        return isSafeStyle(decoded);
    return false;
}

// The tag as plain markup: the attributes the export writes, each once
// (the first, as a browser takes it) in double quotes; addresses and styles
// that are not safe, and links to files that are not published, left out.
QByteArray writeTag(const Tag& tag, const QSet<QByteArray>& deadLinks) {
    QByteArray out = (tag.end ? "</" : "<") + tag.name;
    if (!tag.end) {
        QSet<QByteArray> seen;
        for (const Attribute& attribute : tag.attributes) {
            if (seen.contains(attribute.name))
                continue;
            seen.insert(attribute.name);
            QByteArray value;
            if (plainAttributes().contains(attribute.name)) {
                value = attribute.value;
                value.replace('"', "&quot;");
            } else {
                const QByteArray decoded = PageSanitizer::decodeReferences(attribute.value);
                if (!keepsDecodedValue(attribute.name, decoded, deadLinks))
                    continue;
                value = encodeValue(decoded);
            }
            out += ' ' + attribute.name + "=\"" + value + '"';
        }
    }
    return out + '>';
}

// Text shown as it was written: every "<" escaped, so no tag starts in it.
void appendText(QByteArray* out, QByteArrayView text) {
    for (const char c : text) {
        if (c == '<')
            *out += "&lt;";
        else
            *out += c;
    }
}

// Copies text from `from` up to the next `c` into out: where that `c` is,
// or -1 when there is none and the rest has been copied.
qsizetype copyUpTo(QByteArray* out, const QByteArray& text, qsizetype from, char c) {
    const qsizetype at = text.indexOf(c, from);
    *out += QByteArrayView(text).sliced(from, (at < 0 ? text.size() : at) - from);
    return at;
}

// Where a comment opened at `at` ends for a browser, just past its end.
qsizetype commentEnd(const QByteArray& html, qsizetype at) {
    const qsizetype body = at + 4;
    if (html.mid(body, 1) == ">")
        return body + 1;
    if (html.mid(body, 2) == "->")
        return body + 2;
    for (qsizetype i = html.indexOf("--", body); i >= 0; i = html.indexOf("--", i + 1)) {
        if (html.mid(i + 2, 1) == ">")
            return i + 3;
        if (html.mid(i + 2, 2) == "!>")
            return i + 4;
    }
    return html.size();
}

// Where a title's text ends: at its end tag, "</title" followed by a
// blank, "/" or ">", in any case.
qsizetype titleEnd(const QByteArray& html, qsizetype from) {
    const qsizetype n = html.size();
    for (qsizetype i = html.indexOf("</", from); i >= 0; i = html.indexOf("</", i + 2)) {
        if (i + 8 > n)
            break;
        if (qstrnicmp(html.constData() + i + 2, "title", 5) == 0 &&
            (isSpace(html[i + 7]) || html[i + 7] == '/' || html[i + 7] == '>'))
            return i;
    }
    return n;
}

} // namespace

QByteArray PageSanitizer::headPrelude() {
    return QByteArray("<meta charset=\"utf-8\">\n"
                      "<meta http-equiv=\"Content-Security-Policy\" content=\"") +
           kContentSecurityPolicy +
           "\">\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<style>img { max-width: 100%; height: auto; }</style>\n";
}

QByteArray PageSanitizer::decodeReferences(const QByteArray& value) {
    QByteArray out;
    out.reserve(value.size());
    const qsizetype n = value.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype amp = copyUpTo(&out, value, i, '&');
        if (amp < 0)
            break;
        i = decodeReference(value, amp, &out);
    }
    return out;
}

bool PageSanitizer::isSafeAddress(const QByteArray& value) {
    return isSafeDecodedAddress(decodeReferences(value));
}

QByteArray PageSanitizer::clean(const QByteArray& html, const QSet<QByteArray>& deadLinks) {
    QByteArray out;
    out.reserve(html.size() + 512);
    qsizetype afterDoctype = -1;
    qsizetype afterHtml = -1;
    qsizetype afterHead = -1;
    const qsizetype n = html.size();
    qsizetype i = 0;
    // A page cleaned before (a copy of a published page) keeps its prelude
    // where it was put, and gets no second one.
    const QByteArray prelude = headPrelude();
    bool hasPrelude = false;
    const auto keepPrelude = [&] {
        for (const QByteArray& form : {"\n" + prelude, prelude}) {
            if (!hasPrelude && QByteArrayView(html).sliced(i).startsWith(form)) {
                out += form;
                i += form.size();
                hasPrelude = true;
            }
        }
    };
    keepPrelude();
    while (i < n) {
        const qsizetype open = copyUpTo(&out, html, i, '<');
        if (open < 0)
            break;
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
            const QByteArrayView declaration = QByteArrayView(html).sliced(i, end - i);
            if (declaration.size() >= 9 && qstrnicmp(declaration.data(), "<!doctype", 9) == 0) {
                out += declaration;
                if (afterDoctype < 0)
                    afterDoctype = out.size();
                i = end;
                keepPrelude();
            } else {
                appendText(&out, declaration);
                i = end;
            }
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
            appendText(&out, QByteArrayView(html).sliced(i));
            break;
        }
        if (!keepsTag(tag)) {
            appendText(&out, QByteArrayView(html).sliced(i, tag.next - i));
            i = tag.next;
            continue;
        }
        out += writeTag(tag, deadLinks);
        i = tag.next;
        if (!tag.end && (tag.name == "html" || tag.name == "head")) {
            qsizetype& after = tag.name == "html" ? afterHtml : afterHead;
            if (after < 0)
                after = out.size();
            keepPrelude();
        }
        if (!tag.end && tag.name == "title") {
            // A title's content is text up to its end tag for a browser,
            // whatever looks like a tag in it.
            const qsizetype end = titleEnd(html, i);
            appendText(&out, QByteArrayView(html).sliced(i, end - i));
            i = end;
        }
    }
    if (hasPrelude)
        return out;
    const qsizetype at = afterHead >= 0      ? afterHead
                         : afterHtml >= 0    ? afterHtml
                         : afterDoctype >= 0 ? afterDoctype
                                             : 0;
    out.insert(at, (at > 0 ? "\n" : "") + prelude);
    return out;
}
