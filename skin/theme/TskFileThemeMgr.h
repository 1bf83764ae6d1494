#pragma once

#include "skin/theme/SkinThemes.h"

#include <QHash>
#include <QImage>
#include <QString>
#include <memory>

class TskThemeFileReader;

// Holds the reader of a theme object's current file and answers key look-ups
// from it. Components ask for their images on every paint, so each stored
// bitmap is decoded once per loaded file and then shared.
class TskFileThemeMgr {
public:
    TskFileThemeMgr();
    ~TskFileThemeMgr();

    // False and no change when the file does not exist; otherwise the previous
    // reader is dropped and a new one parses the file (an open failure throws
    // and leaves the manager without a reader).
    bool LoadFile(const QString& fileName);

    // Graphic is loaded from the key's image entry (Windows bitmap format);
    // left as it was without a reader, without the entry or when it does not
    // decode. False only in the last case: the entry is there and unreadable.
    bool GetBitmap(TskThemeKey key, QImage& graphic) const;
    bool GetBool(TskThemeKey key) const;
    // Colours are stored as integers: 0 without a reader, -1 for a missing key.
    qint32 GetColor(TskThemeKey key) const;
    qint32 GetInt(TskThemeKey key) const;

    bool HasReader() const { return m_reader != nullptr; }
    const TskThemeFileReader* Reader() const { return m_reader.get(); }

private:
    struct Decoded {
        QImage image;        // null when the entry is missing or does not decode
        bool failed = false; // the entry is there and does not decode
    };
    Decoded decode(const QString& name) const;

    std::unique_ptr<TskThemeFileReader> m_reader;
    mutable QHash<TskThemeKey, Decoded> m_decoded;
};
