#include "SkinThemePack.h"

#include "TskThemeFileWriter.h"
#include "skin/draw/TskColor.h"
#include "skin/theme/SkinThemes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QSet>
#include <map>

namespace {

bool parseNumber(const QString& text, qint64& value) {
    bool ok = false;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = text.mid(2).toLongLong(&ok, 16);
    else
        value = text.toLongLong(&ok, 10);
    return ok;
}

bool parseColor(const QString& text, qint32& color) {
    if (text.startsWith(QLatin1Char('#')) && text.size() == 7) {
        bool ok = false;
        const uint rgb = text.mid(1).toUInt(&ok, 16);
        color = TskColor::fromRgb(int(rgb >> 16) & 0xFF, int(rgb >> 8) & 0xFF, int(rgb) & 0xFF);
        return ok;
    }
    if (text.startsWith(QLatin1String("sys:"))) {
        bool ok = false;
        const uint index = text.mid(4).toUInt(&ok);
        color = qint32(0xFF000000u | (index & 0xFF));
        return ok && index <= 0xFF;
    }
    qint64 value = 0;
    if (!parseNumber(text, value) || value < INT32_MIN || value > UINT32_MAX)
        return false;
    color = qint32(quint32(value));
    return true;
}

bool parseBool(const QString& text, quint8& value) {
    const QString t = text.toLower();
    if (t == QLatin1String("true") || t == QLatin1String("yes")) {
        value = 1;
        return true;
    }
    if (t == QLatin1String("false") || t == QLatin1String("no")) {
        value = 0;
        return true;
    }
    qint64 n = 0;
    if (!parseNumber(text, n) || n < 0 || n > 255)
        return false;
    value = quint8(n);
    return true;
}

} // namespace

bool ReadThemeFolder(const QString& dir, TskThemeFileWriter& writer, QString* error) {
    auto fail = [&](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    const QDir folder(dir);
    QFile text(folder.filePath(QStringLiteral("theme.txt")));
    if (!text.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(QStringLiteral("%1: %2").arg(text.fileName(), text.errorString()));

    QSet<QString> seen;
    int lineNo = 0;
    while (!text.atEnd()) {
        ++lineNo;
        const QString line = QString::fromUtf8(text.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const QString where = QStringLiteral("theme.txt line %1: ").arg(lineNo);
        if (eq <= 0)
            return fail(where + QStringLiteral("expected Name=Value"));
        const QString name = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (seen.contains(name.toLower()))
            return fail(where + name + QStringLiteral(" is given twice"));
        seen.insert(name.toLower());
        const TskThemeKey key = ThemeKeyFromName(name);
        if (key == 0) {
            writer.AddText(name, value.toLocal8Bit());
            continue;
        }
        const QString keyName = QLatin1String(ThemeKeyNames[key - 1]);
        switch (ThemeKeyKind(key)) {
        case TskThemeValueKind::tvImage:
            return fail(where + keyName + QStringLiteral(" is an image: put ") + keyName +
                        QStringLiteral(".bmp in the folder"));
        case TskThemeValueKind::tvColor: {
            qint32 color = 0;
            if (!parseColor(value, color))
                return fail(where + QStringLiteral("\"%1\" is not a colour").arg(value));
            writer.AddInt(keyName, color);
            break;
        }
        case TskThemeValueKind::tvInt: {
            qint64 n = 0;
            if (!parseNumber(value, n) || n < INT32_MIN || n > INT32_MAX)
                return fail(where + QStringLiteral("\"%1\" is not an integer").arg(value));
            writer.AddInt(keyName, qint32(n));
            break;
        }
        case TskThemeValueKind::tvBool: {
            quint8 b = 0;
            if (!parseBool(value, b))
                return fail(where + QStringLiteral("\"%1\" is not a Boolean").arg(value));
            writer.AddBool(keyName, b);
            break;
        }
        }
    }

    // Images in key order, so a folder always packs to the same bytes.
    std::map<TskThemeKey, QByteArray> images;
    const QStringList bmps = folder.entryList({QStringLiteral("*.bmp"), QStringLiteral("*.BMP")},
                                              QDir::Files, QDir::Name);
    for (const QString& file : bmps) {
        const QString base = QFileInfo(file).completeBaseName();
        const TskThemeKey key = ThemeKeyFromName(base);
        if (key == 0 || ThemeKeyKind(key) != TskThemeValueKind::tvImage)
            return fail(file + QStringLiteral(" is not named after an image key"));
        QFile bmp(folder.filePath(file));
        if (!bmp.open(QIODevice::ReadOnly))
            return fail(file + QStringLiteral(": ") + bmp.errorString());
        QByteArray bytes = bmp.readAll();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        if (QImageReader(&buffer, "BMP").read().isNull())
            return fail(file + QStringLiteral(" is not a readable BMP image"));
        if (images.count(key))
            return fail(file + QStringLiteral(" is given twice"));
        images[key] = bytes;
    }
    for (const auto& [key, bytes] : images)
        writer.AddImage(QLatin1String(ThemeKeyNames[key - 1]), bytes);
    return true;
}

bool PackThemeFolder(const QString& dir, const QString& outFile, QString* error) {
    TskThemeFileWriter writer;
    if (!ReadThemeFolder(dir, writer, error))
        return false;
    QString why;
    if (!writer.Save(outFile, &why)) {
        if (error)
            *error = outFile + QStringLiteral(": ") + why;
        return false;
    }
    return true;
}
