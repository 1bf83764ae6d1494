#include "skin/theme/SkinThemeFile.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace SkinThemeFile {

qint32 readInt32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return qint32(quint32(u[0]) | (quint32(u[1]) << 8) | (quint32(u[2]) << 16) |
                  (quint32(u[3]) << 24));
}

void writeInt32(char* p, qint32 value) {
    const quint32 v = quint32(value);
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}

QByteArray fieldText(const char* p, int width) {
    const void* zero = std::memchr(p, 0, size_t(width));
    const int length = zero ? int(static_cast<const char*>(zero) - p) : width;
    return QByteArray(p, length);
}

Header decodeHeader(const char* bytes) {
    Header h;
    h.signature = fieldText(bytes, SignatureFieldSize);
    h.headerSize = readInt32(bytes + 12);
    h.reserved = readInt32(bytes + 16);
    h.firstEntry = readInt32(bytes + 20);
    return h;
}

Entry decodeEntry(const char* bytes) {
    Entry e;
    e.name = fieldText(bytes, EntryNameSize);
    e.type = quint8(bytes[64]);
    e.dataOffset = readInt32(bytes + 65);
    e.dataSize = readInt32(bytes + 69);
    e.next = readInt32(bytes + 73);
    return e;
}

QByteArray encodeHeader(qint32 firstEntry) {
    QByteArray bytes(HeaderSize, '\0');
    std::memcpy(bytes.data(), Signature, sizeof(Signature) - 1);
    writeInt32(bytes.data() + 12, HeaderSize);
    writeInt32(bytes.data() + 20, firstEntry);
    return bytes;
}

QByteArray encodeEntry(const QByteArray& name, quint8 type, qint32 dataOffset, qint32 dataSize,
                       qint32 next) {
    QByteArray bytes(EntrySize, '\0');
    std::memcpy(bytes.data(), name.constData(),
                size_t(qMin<qsizetype>(name.size(), EntryNameSize)));
    bytes[64] = char(type);
    writeInt32(bytes.data() + 65, dataOffset);
    writeInt32(bytes.data() + 69, dataSize);
    writeInt32(bytes.data() + 73, next);
    return bytes;
}

} // namespace SkinThemeFile

bool IsValidThemeFile(const QString& fileName) {
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray probe = file.read(SkinThemeFile::HeaderProbeSize);
    if (probe.size() != SkinThemeFile::HeaderProbeSize)
        return false;
    return SkinThemeFile::fieldText(probe.constData(), SkinThemeFile::SignatureFieldSize) ==
           QByteArray(SkinThemeFile::Signature);
}
