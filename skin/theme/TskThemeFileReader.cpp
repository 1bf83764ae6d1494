#include "skin/theme/TskThemeFileReader.h"

#include "skin/theme/SkinThemeFile.h"
#include "skin/theme/TskSkinError.h"

#include <QFile>
#include <QSet>

using namespace SkinThemeFile;

TskThemeFileReader::TskThemeFileReader(const QString& fileName) {
    LoadThemeFile(fileName);
}

TskThemeFileReader::TskThemeFileReader(QIODevice& device) {
    load(device);
}

TskThemeFileReader::~TskThemeFileReader() = default;

void TskThemeFileReader::LoadThemeFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw TskSkinError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    load(file);
}

namespace {

// The Count bytes at Offset of the file held in memory; false when they do
// not all lie inside it.
bool slice(const QByteArray& file, qint64 offset, qint64 count, QByteArray& out) {
    if (offset < 0 || count < 0 || offset > file.size() - count)
        return false;
    // No copy: the slice points into the file the reader keeps, so entries
    // that share their data (legal: only the offsets link the records) cost
    // nothing more, and the reader never holds more than the file's bytes.
    out = QByteArray::fromRawData(file.constData() + offset, count);
    return true;
}

} // namespace

void TskThemeFileReader::load(QIODevice& device) {
    if (!device.seek(0))
        return stop(QStringLiteral("the file cannot be read"));
    m_files.push_back(device.readAll());
    const QByteArray& held = m_files.back();
    const qint64 fileSize = held.size();
    QByteArray bytes;
    if (!slice(held, 0, HeaderProbeSize, bytes))
        return stop(QStringLiteral("the header is cut short"));
    const qint32 headerSize = readInt32(bytes.constData() + SignatureFieldSize);
    if (headerSize != HeaderSize)
        return stop(QStringLiteral("header size %1 instead of %2").arg(headerSize).arg(HeaderSize));
    if (!slice(held, 0, HeaderSize, bytes))
        return stop(QStringLiteral("the header is cut short"));
    const Header header = decodeHeader(bytes.constData());

    // Work stays linear in the file's size: no more entries than records
    // fit, each record once.
    const qint64 maxEntries = fileSize / EntrySize;
    QSet<qint64> visited;

    qint64 offset = header.firstEntry;
    if (!slice(held, offset, EntrySize, bytes))
        return stop(QStringLiteral("entry at %1 lies outside the file").arg(offset));
    visited.insert(offset);
    Entry entry = decodeEntry(bytes.constData());

    while (entry.next != 0) {
        if (visited.size() > maxEntries)
            return stop(QStringLiteral("more entries than the file can hold"));
        const qint64 dataOffset = entry.dataOffset;
        const qint64 dataSize = entry.dataSize;
        const QString name = QString::fromLocal8Bit(entry.name);
        if (entry.type <= quint8(EntryType::Text)) {
            const auto type = EntryType(entry.type);
            QByteArray data;
            const bool inside = slice(held, dataOffset, dataSize, data);
            // An image is copied whole or not at all: one that runs past the
            // end of the file makes the file unreadable, not half a theme.
            if (!inside && type == EntryType::Image)
                throw TskSkinError(
                    QStringLiteral("The image \"%1\" runs past the end of the theme file.")
                        .arg(name));
            if (!inside)
                return stop(QStringLiteral("data of \"%1\" lies outside the file").arg(name));
            const bool sizeFits = (type == EntryType::Image && dataSize > 0) ||
                                  (type == EntryType::Integer && dataSize == 4) ||
                                  (type == EntryType::Boolean && dataSize == 1) ||
                                  type == EntryType::Text;
            if (!sizeFits)
                return stop(QStringLiteral("\"%1\" has a data size of %2").arg(name).arg(dataSize));
            switch (type) {
            case EntryType::Image: {
                auto stream = std::make_unique<QBuffer>();
                stream->setData(data);
                stream->open(QIODevice::ReadOnly);
                m_entries.push_back({ValueKind::Image, name, QString(), int(m_images.size())});
                m_images.emplace_back(name, std::move(stream));
                break;
            }
            case EntryType::Integer: {
                const QString value = QString::number(readInt32(data.constData()));
                m_integers.push_back({name, value});
                m_entries.push_back({ValueKind::Integer, name, value, -1});
                break;
            }
            case EntryType::Boolean: {
                const QString value = QString::number(quint8(data[0]));
                m_booleans.push_back({name, value});
                m_entries.push_back({ValueKind::Boolean, name, value, -1});
                break;
            }
            case EntryType::Text: {
                const QString value = QString::fromLocal8Bit(data);
                m_texts.push_back({name, value});
                m_entries.push_back({ValueKind::Text, name, value, -1});
                break;
            }
            }
        }
        offset = entry.next;
        if (visited.contains(offset))
            return stop(QStringLiteral("the entry chain loops back to %1").arg(offset));
        if (!slice(held, offset, EntrySize, bytes))
            return stop(QStringLiteral("entry at %1 lies outside the file").arg(offset));
        visited.insert(offset);
        entry = decodeEntry(bytes.constData());
    }
}

const TskThemeFileReader::Line* TskThemeFileReader::findLine(const std::vector<Line>& list,
                                                             const QString& name) {
    for (const Line& line : list) {
        if (line.name.compare(name, Qt::CaseInsensitive) == 0)
            return &line;
    }
    return nullptr;
}

QIODevice* TskThemeFileReader::GetImageStream(const QString& name) {
    for (auto& [imageName, stream] : m_images) {
        if (imageName.compare(name, Qt::CaseInsensitive) == 0) {
            stream->seek(0);
            return stream.get();
        }
    }
    return nullptr;
}

int TskThemeFileReader::GetInt(const QString& name) const {
    const Line* line = findLine(m_integers, name);
    if (!line)
        return -1;
    bool ok = false;
    const int value = line->value.toInt(&ok);
    return ok ? value : -1;
}

bool TskThemeFileReader::GetBool(const QString& name) const {
    const Line* line = findLine(m_booleans, name);
    if (!line)
        return false;
    bool ok = false;
    const int value = line->value.toInt(&ok);
    return ok && (value & 0xFF) != 0;
}

QString TskThemeFileReader::GetText(const QString& name) const {
    const Line* line = findLine(m_texts, name);
    return line ? line->value : QString();
}

qint64 TskThemeFileReader::HeldBytes() const {
    qint64 total = 0;
    for (const QByteArray& file : m_files)
        total += file.size();
    return total;
}

QByteArray TskThemeFileReader::ImageBytes(int imageIndex) const {
    if (imageIndex < 0 || imageIndex >= int(m_images.size()))
        return QByteArray();
    return m_images[size_t(imageIndex)].second->data();
}
