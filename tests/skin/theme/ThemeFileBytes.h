#pragma once

// Hand-laid theme files for the reader tests: records anywhere, in any order.

#include "skin/theme/SkinThemeFile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace skintest {

class ThemeFileBytes {
public:
    explicit ThemeFileBytes(qint32 firstEntry = 24, qint32 headerSize = 24) {
        bytes = SkinThemeFile::encodeHeader(firstEntry);
        SkinThemeFile::writeInt32(bytes.data() + 12, headerSize);
    }
    // Writes a record at Offset (growing the file as needed).
    ThemeFileBytes& entry(qint32 offset, const QByteArray& name, quint8 type, qint32 dataOffset,
                          qint32 dataSize, qint32 next) {
        put(offset, SkinThemeFile::encodeEntry(name, type, dataOffset, dataSize, next));
        return *this;
    }
    ThemeFileBytes& put(qint32 offset, const QByteArray& data) {
        if (bytes.size() < offset + data.size())
            bytes.resize(offset + data.size(), '\0');
        bytes.replace(offset, data.size(), data);
        return *this;
    }
    static QByteArray int32(qint32 v) {
        QByteArray b(4, '\0');
        SkinThemeFile::writeInt32(b.data(), v);
        return b;
    }
    bool save(const QString& path) const {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
    QByteArray bytes;
};

// Offsets of consecutive records after the header.
constexpr qint32 rec(int i) {
    return 24 + 77 * i;
}

} // namespace skintest
