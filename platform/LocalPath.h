#pragma once

#include <QByteArray>
#include <QString>

// File names on Linux are bytes, not text. The program handles paths as
// text; this codec maps bytes that are not valid UTF-8 to lone surrogates
// (U+DC80..U+DCFF) and back, so every name survives the round trip exactly.
class LocalPath {
public:
    static QString fromNative(const QByteArray& bytes);
    static QByteArray toNative(const QString& path);

    // True when the path's bytes are valid UTF-8 (so other programs that take
    // text can be given it as text).
    static bool isPlainText(const QString& path);

    // The last component: what follows the last "/".
    static QString fileName(const QString& path);
};
