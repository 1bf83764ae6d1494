#include "skin/theme/TskFileThemeMgr.h"

#include "skin/theme/TskThemeFileReader.h"

#include <QFileInfo>
#include <QImageReader>

namespace {

QString keyName(TskThemeKey key) {
    if (key < ThemeKey::First || key > ThemeKey::Last)
        return QString();
    return QLatin1String(ThemeKeyNames[key - 1]);
}

} // namespace

TskFileThemeMgr::TskFileThemeMgr() = default;
TskFileThemeMgr::~TskFileThemeMgr() = default;

bool TskFileThemeMgr::LoadFile(const QString& fileName) {
    if (!QFileInfo(fileName).isFile())
        return false;
    m_reader.reset();
    m_decoded.clear();
    m_reader = std::make_unique<TskThemeFileReader>(fileName);
    return true;
}

bool TskFileThemeMgr::GetBitmap(TskThemeKey key, QImage& graphic) const {
    const QString name = keyName(key);
    if (!m_reader || name.isEmpty())
        return true;
    auto known = m_decoded.constFind(key);
    if (known == m_decoded.constEnd())
        known = m_decoded.insert(key, decode(name));
    if (!known->image.isNull())
        graphic = known->image;
    return !known->failed;
}

TskFileThemeMgr::Decoded TskFileThemeMgr::decode(const QString& name) const {
    QIODevice* stream = m_reader->GetImageStream(name);
    if (!stream)
        return {};
    QImageReader reader(stream, "BMP");
    const QImage image = reader.read();
    stream->seek(0);
    if (image.isNull())
        return {QImage(), true};
    return {image.convertToFormat(QImage::Format_RGB32), false};
}

bool TskFileThemeMgr::GetBool(TskThemeKey key) const {
    return m_reader ? m_reader->GetBool(keyName(key)) : false;
}

qint32 TskFileThemeMgr::GetColor(TskThemeKey key) const {
    return m_reader ? m_reader->GetInt(keyName(key)) : 0;
}

qint32 TskFileThemeMgr::GetInt(TskThemeKey key) const {
    return GetColor(key);
}
