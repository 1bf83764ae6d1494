// skin-theme pack DIR OUT   builds a theme file from a folder: theme.txt
//                           (Name=Value lines) and BMP images named after
//                           image keys (ButtonImage.bmp ...).
// skin-theme dump FILE      prints what the reader loads, one line per entry
//                           in file order; exit 1 with a message on standard
//                           error when FILE is not a theme file or stops early.

#include "SkinThemePack.h"
#include "skin/theme/SkinThemeFile.h"
#include "skin/theme/TskSkinError.h"
#include "skin/theme/TskThemeFileReader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <cstdio>

namespace {

int usage() {
    std::fprintf(stderr, "usage: skin-theme pack DIR OUT\n       skin-theme dump FILE\n");
    return 2;
}

int dump(const QString& fileName) {
    if (!IsValidThemeFile(fileName)) {
        std::fprintf(stderr, "skin-theme: %s: not a theme file\n", qPrintable(fileName));
        return 1;
    }
    try {
        TskThemeFileReader reader(fileName);
        for (const TskThemeFileReader::LoadedEntry& e : reader.Entries()) {
            QByteArray line;
            switch (e.kind) {
            case TskThemeFileReader::ValueKind::Image: {
                QByteArray bytes = reader.ImageBytes(e.imageIndex);
                QBuffer buffer(&bytes);
                buffer.open(QIODevice::ReadOnly);
                QImageReader decoder(&buffer, "BMP");
                const QImage image = decoder.read();
                line = "image " + e.name.toLocal8Bit() + ' ' +
                       (image.isNull() ? QByteArray("invalid")
                                       : QByteArray::number(image.width()) + 'x' +
                                             QByteArray::number(image.height()));
                break;
            }
            case TskThemeFileReader::ValueKind::Integer:
                line = "int " + e.name.toLocal8Bit() + ' ' + e.value.toLocal8Bit();
                break;
            case TskThemeFileReader::ValueKind::Boolean:
                line = "bool " + e.name.toLocal8Bit() + ' ' + e.value.toLocal8Bit();
                break;
            case TskThemeFileReader::ValueKind::Text:
                line = "text " + e.name.toLocal8Bit() + ' ' + e.value.toLocal8Bit();
                break;
            }
            std::printf("%s\n", line.constData());
        }
        std::fflush(stdout);
        if (!reader.Complete()) {
            std::fprintf(stderr, "skin-theme: %s: stopped early: %s\n", qPrintable(fileName),
                         qPrintable(reader.StopReason()));
            return 1;
        }
    } catch (const TskSkinError& e) {
        std::fprintf(stderr, "skin-theme: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}

int pack(const QString& dir, const QString& out) {
    QString error;
    if (!PackThemeFolder(dir, out, &error)) {
        std::fprintf(stderr, "skin-theme: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("pack"))
        return pack(args[2], args[3]);
    if (args.size() == 3 && args[1] == QLatin1String("dump"))
        return dump(args[2]);
    return usage();
}
