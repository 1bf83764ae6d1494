#pragma once

// The binary layout of skin theme files: little-endian 32-bit integers,
// packed records, a 24-byte header at offset 0 and 77-byte entry records
// chained by offsets.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace SkinThemeFile {

constexpr char Signature[] = "VaneSkinTB";
constexpr int SignatureFieldSize = 12;
constexpr int HeaderSize = 24;
constexpr int HeaderProbeSize = 16; // signature and HeaderSize
constexpr int EntrySize = 77;
constexpr int EntryNameSize = 64;

enum class EntryType : quint8 { Image = 0, Integer = 1, Boolean = 2, Text = 3 };

struct Header {
    QByteArray signature; // the text up to the first 0 byte of the 12-byte field
    qint32 headerSize = 0;
    qint32 reserved = 0;
    qint32 firstEntry = 0;
};

struct Entry {
    QByteArray name; // up to the first 0 byte, or all 64 bytes
    quint8 type = 0;
    qint32 dataOffset = 0;
    qint32 dataSize = 0;
    qint32 next = 0;
};

qint32 readInt32(const char* p);
void writeInt32(char* p, qint32 value);
// The text of a fixed-width field up to its first 0 byte.
QByteArray fieldText(const char* p, int width);

// Decoders of exactly HeaderSize / EntrySize bytes.
Header decodeHeader(const char* bytes);
Entry decodeEntry(const char* bytes);
QByteArray encodeHeader(qint32 firstEntry);
QByteArray encodeEntry(const QByteArray& name, quint8 type, qint32 dataOffset, qint32 dataSize,
                       qint32 next);

} // namespace SkinThemeFile

// True when the file exists, opens for reading and its first 16 bytes hold
// the signature (letter case significant). Never throws.
bool IsValidThemeFile(const QString& fileName);
