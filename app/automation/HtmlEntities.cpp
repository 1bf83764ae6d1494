#include "app/automation/HtmlEntities.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

struct Entity {
    const char* name;
    char32_t first;
    char32_t second;
};

constexpr Entity kEntities[] = {
#include "app/automation/HtmlEntityTable.inc"
};
constexpr qsizetype kLongestName = 32;

// What browsers make of the numbers 0x80 to 0x9F, which old pages meant as
// windows-1252; 0 where that code page has nothing and the number stands.
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

const Entity* find(const char* name, size_t length) {
    const Entity* end = std::end(kEntities);
    const Entity* at = std::lower_bound(std::begin(kEntities), end, name,
                                        [length](const Entity& entity, const char* key) {
                                            return std::strncmp(entity.name, key, length) < 0;
                                        });
    if (at != end && std::strncmp(at->name, name, length) == 0 && at->name[length] == '\0')
        return at;
    return nullptr;
}

void append(QString* out, char32_t c) {
    out->append(QString::fromUcs4(&c, 1));
}

// The digit's value, or -1 when it is none in that base.
int digitValue(QChar c, bool hex) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (hex && u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (hex && u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// A numeric reference at text[i] (just after "&#"): its character and
// where the text goes on, or false when no digit follows.
bool numeric(QStringView text, qsizetype i, QString* out, qsizetype* next) {
    const bool hex = i < text.size() && (text[i] == u'x' || text[i] == u'X');
    qsizetype j = hex ? i + 1 : i;
    const qsizetype digits = j;
    char32_t value = 0;
    for (int digit = 0; j < text.size() && (digit = digitValue(text[j], hex)) >= 0; ++j) {
        // Past the last code point the value only needs to stay too large.
        if (value <= 0x10FFFF)
            value = value * (hex ? 16 : 10) + char32_t(digit);
    }
    if (j == digits)
        return false;
    if (j < text.size() && text[j] == u';')
        ++j;
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000))
        value = 0xFFFD;
    else if (value >= 0x80 && value < 0xA0 && kWindows1252[value - 0x80] != 0)
        value = kWindows1252[value - 0x80];
    append(out, value);
    *next = j;
    return true;
}

// A named reference at text[i] (just after "&"): the longest name of the
// table the text begins with.
bool named(QStringView text, qsizetype i, QString* out, qsizetype* next) {
    char name[kLongestName + 1];
    qsizetype length = 0;
    while (length < kLongestName && i + length < text.size()) {
        const char16_t c = text[i + length].unicode();
        const bool alnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum && c != ';')
            break;
        name[length++] = char(c);
        if (c == ';')
            break;
    }
    for (; length > 1; --length) {
        if (const Entity* entity = find(name, size_t(length))) {
            append(out, entity->first);
            if (entity->second != 0)
                append(out, entity->second);
            *next = i + length;
            return true;
        }
    }
    return false;
}

} // namespace

QString HtmlEntities::decode(QStringView text) {
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype amp = text.indexOf(u'&', i);
        if (amp < 0) {
            out += text.mid(i);
            break;
        }
        out += text.mid(i, amp - i);
        qsizetype next = amp + 1;
        const bool isNumeric = next < text.size() && text[next] == u'#';
        if (isNumeric ? numeric(text, next + 1, &out, &next) : named(text, next, &out, &next)) {
            i = next;
        } else {
            out += u'&';
            i = amp + 1;
        }
    }
    return out;
}
