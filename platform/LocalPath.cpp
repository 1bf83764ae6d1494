#include "platform/LocalPath.h"

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// Length of the valid UTF-8 sequence starting at i, or 0 when the byte there
// does not start one (overlong forms, surrogates and values past U+10FFFF
// are not valid).
int validSequenceLength(const unsigned char* s, qsizetype i, qsizetype n) {
    const unsigned char c = s[i];
    if (c < 0x80)
        return 1;
    int length = 0;
    char32_t min = 0;
    char32_t code = 0;
    if ((c & 0xE0) == 0xC0) {
        length = 2, min = 0x80, code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3, min = 0x800, code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4, min = 0x10000, code = c & 0x07;
    } else {
        return 0;
    }
    if (i + length > n)
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((s[i + k] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (s[i + k] & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString LocalPath::fromNative(const QByteArray& bytes) {
    bool ascii = true;
    for (const char c : bytes)
        ascii = ascii && (static_cast<unsigned char>(c) < 0x80);
    if (ascii)
        return QString::fromLatin1(bytes);
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    qsizetype i = 0;
    while (i < n) {
        const int length = validSequenceLength(s, i, n);
        if (length == 0) {
            out.append(QChar(char16_t(kEscapeBase + s[i])));
            ++i;
        } else {
            out.append(QString::fromUtf8(bytes.constData() + i, length));
            i += length;
        }
    }
    return out;
}

QByteArray LocalPath::toNative(const QString& path) {
    QByteArray out;
    out.reserve(path.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t u = path.at(i).unicode();
        const bool escaped = u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF &&
                             !(i > 0 && path.at(i - 1).isHighSurrogate());
        if (!escaped)
            continue;
        out.append(QStringView(path).mid(start, i - start).toUtf8());
        out.append(char(u - kEscapeBase));
        start = i + 1;
    }
    out.append(QStringView(path).mid(start).toUtf8());
    return out;
}

bool LocalPath::isPlainText(const QString& path) {
    return QString::fromUtf8(toNative(path)) == path;
}

QString LocalPath::fileName(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}
