#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

class QIODevice;

// Parses one theme file completely in its constructor into four keyed lists
// (images, integers, Booleans, texts) and answers look-ups by name: the first
// entry in file order whose name matches without regard to case.
//
// Theme files are untrusted. A damaged chain (a loop, an offset or size past
// the end, a short read, a header size other than 24, a DataSize that does not
// fit the entry's type) stops the walk; what was loaded before stays, and
// StopReason() says why. An image whose data runs past the end of the file is
// an error (TskSkinError out of the constructor), as a copy of it would fail.
// The reader keeps the file's bytes once and every entry's data points into
// them, so entries sharing a data block are fine and memory stays the file's
// size. Loading a second file adds its entries after the first file's (a
// look-up still answers from the first match) and keeps both files' bytes,
// so the streams handed out before stay valid.
class TskThemeFileReader {
public:
    enum class ValueKind { Image, Integer, Boolean, Text };
    struct LoadedEntry {
        ValueKind kind;
        QString name;
        QString value;  // decimal number, byte value or text; empty for images
        int imageIndex; // into the image list; -1 for other kinds
    };

    // Throws TskSkinError when the file cannot be opened or an image runs
    // past its end.
    explicit TskThemeFileReader(const QString& fileName);
    // Reads from an open device (an in-memory file, for instance).
    explicit TskThemeFileReader(QIODevice& device);
    ~TskThemeFileReader();
    TskThemeFileReader(const TskThemeFileReader&) = delete;
    TskThemeFileReader& operator=(const TskThemeFileReader&) = delete;

    void LoadThemeFile(const QString& fileName);

    // The stream of the first image entry named Name, rewound; null if none.
    // The reader keeps owning it.
    QIODevice* GetImageStream(const QString& name);
    // -1 when missing or not a decimal integer.
    int GetInt(const QString& name) const;
    // True when the value's low byte is non-zero; false when missing or invalid.
    bool GetBool(const QString& name) const;
    // The text entry's text; a null string when missing.
    QString GetText(const QString& name) const;

    // Every loaded entry in file order.
    const std::vector<LoadedEntry>& Entries() const { return m_entries; }
    QByteArray ImageBytes(int imageIndex) const;
    // The bytes the reader keeps: each loaded file's, once.
    qint64 HeldBytes() const;
    // Empty when the chain ended at its terminator; otherwise why it stopped.
    const QString& StopReason() const { return m_stopReason; }
    bool Complete() const { return m_stopReason.isEmpty(); }

private:
    struct Line {
        QString name;
        QString value;
    };
    void load(QIODevice& device);
    void stop(const QString& reason) { m_stopReason = reason; }
    static const Line* findLine(const std::vector<Line>& list, const QString& name);

    // First: the image streams point into these. A list, never shrunk or
    // reassigned, so a later load can't free what earlier streams read.
    std::vector<QByteArray> m_files;
    std::vector<std::pair<QString, std::unique_ptr<QBuffer>>> m_images;
    std::vector<Line> m_integers;
    std::vector<Line> m_booleans;
    std::vector<Line> m_texts;
    std::vector<LoadedEntry> m_entries;
    QString m_stopReason;
};
