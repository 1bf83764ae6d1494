#include "TskThemeFileWriter.h"

#include "skin/theme/SkinThemeFile.h"

#include <QSaveFile>

using namespace SkinThemeFile;

void TskThemeFileWriter::AddImage(const QString& name, const QByteArray& bmpFile) {
    m_items.push_back({name.toLocal8Bit(), quint8(EntryType::Image), bmpFile});
}

void TskThemeFileWriter::AddInt(const QString& name, qint32 value) {
    QByteArray data(4, '\0');
    writeInt32(data.data(), value);
    m_items.push_back({name.toLocal8Bit(), quint8(EntryType::Integer), data});
}

void TskThemeFileWriter::AddBool(const QString& name, quint8 value) {
    m_items.push_back({name.toLocal8Bit(), quint8(EntryType::Boolean), QByteArray(1, char(value))});
}

void TskThemeFileWriter::AddText(const QString& name, const QByteArray& text) {
    m_items.push_back({name.toLocal8Bit(), quint8(EntryType::Text), text});
}

QByteArray TskThemeFileWriter::Bytes() const {
    const qint32 records = qint32(m_items.size()) + 1;
    qint32 dataOffset = HeaderSize + records * EntrySize;
    QByteArray out = encodeHeader(HeaderSize);
    QByteArray data;
    for (size_t i = 0; i < m_items.size(); ++i) {
        const Item& item = m_items[i];
        const qint32 next = HeaderSize + qint32(i + 1) * EntrySize;
        out += encodeEntry(item.name, item.type, dataOffset + qint32(data.size()),
                           qint32(item.data.size()), next);
        data += item.data;
    }
    out += encodeEntry(QByteArray(), 0, 0, 0, 0);
    out += data;
    return out;
}

bool TskThemeFileWriter::Save(const QString& fileName, QString* error) const {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(Bytes()) < 0 || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
