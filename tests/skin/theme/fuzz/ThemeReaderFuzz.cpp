// libFuzzer target: a theme file is untrusted input, so the reader must stop
// cleanly on anything, and what it loaded must be safe to use.

#include "skin/theme/TskSkinError.h"
#include "skin/theme/TskThemeFileReader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer device;
    device.setData(bytes);
    device.open(QIODevice::ReadOnly);
    std::unique_ptr<TskThemeFileReader> loadedReader;
    try {
        loadedReader = std::make_unique<TskThemeFileReader>(device);
    } catch (const TskSkinError&) {
        return 0; // an image past the end: refused whole
    }
    TskThemeFileReader& reader = *loadedReader;

    for (const TskThemeFileReader::LoadedEntry& entry : reader.Entries()) {
        switch (entry.kind) {
        case TskThemeFileReader::ValueKind::Image: {
            QIODevice* stream = reader.GetImageStream(entry.name);
            if (!stream)
                __builtin_trap();
            if (stream->pos() != 0)
                __builtin_trap();
            (void)reader.ImageBytes(entry.imageIndex).size();
            QImageReader image(stream, "BMP");
            image.setAllocationLimit(16);
            (void)image.read();
            break;
        }
        case TskThemeFileReader::ValueKind::Integer:
            (void)reader.GetInt(entry.name);
            break;
        case TskThemeFileReader::ValueKind::Boolean:
            (void)reader.GetBool(entry.name);
            break;
        case TskThemeFileReader::ValueKind::Text:
            (void)reader.GetText(entry.name);
            break;
        }
    }
    // The reader never holds more data than the file has bytes, however
    // many entries share them.
    if (reader.HeldBytes() > qint64(size))
        __builtin_trap();
    return 0;
}
