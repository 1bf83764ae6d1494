#include "SkinThemePack.h"
#include "ThemeFileBytes.h"
#include "TskThemeFileWriter.h"
#include "skin/theme/TskFileTheme.h"
#include "skin/theme/TskFileThemeMgr.h"
#include "skin/theme/TskThemeFileReader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using skintest::rec;
using skintest::ThemeFileBytes;

namespace {

struct ToolRun {
    int exitCode;
    QString out;
    QString err;
};

ToolRun skinTheme(const QStringList& args) {
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/skin-theme"),
                  args);
    process.waitForFinished(30000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray bmp(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

QString sourceDir() {
    return qEnvironmentVariable("DECKVANE_SOURCE_DIR");
}

} // namespace

TEST(SkinThemeTool, PackThenDumpRoundTrips) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("theme"));
    QDir().mkpath(folder);
    writeFile(folder + QStringLiteral("/theme.txt"), "# a comment\n"
                                                     "FormBorderColor=#FF0000\n"
                                                     "MenuFontColor=sys:7\n"
                                                     "TitleBarButtonRightOffsetInt=-3\n"
                                                     "ButtonTransparentBool=true\n"
                                                     "TitleBarButtonTransparentBool=200\n"
                                                     "Author=Somebody = with equals\n");
    writeFile(folder + QStringLiteral("/ButtonImage.bmp"), bmp(30, 7));
    writeFile(folder + QStringLiteral("/checkboximage.bmp"), bmp(8, 2));
    const QString out = dir.filePath(QStringLiteral("t.vsk"));
    const ToolRun pack = skinTheme({QStringLiteral("pack"), folder, out});
    ASSERT_EQ(pack.exitCode, 0) << qPrintable(pack.err);

    const ToolRun dump = skinTheme({QStringLiteral("dump"), out});
    EXPECT_EQ(dump.exitCode, 0) << qPrintable(dump.err);
    EXPECT_EQ(dump.out, QStringLiteral("int FormBorderColor 255\n"
                                       "int MenuFontColor -16777209\n"
                                       "int TitleBarButtonRightOffsetInt -3\n"
                                       "bool ButtonTransparentBool 1\n"
                                       "bool TitleBarButtonTransparentBool 200\n"
                                       "text Author Somebody = with equals\n"
                                       "image ButtonImage 30x7\n"
                                       "image CheckBoxImage 8x2\n"));
    EXPECT_TRUE(dump.err.isEmpty());
}

TEST(SkinThemeTool, PackRefusesBadFolders) {
    QTemporaryDir dir;
    auto packWith = [&](const QByteArray& text, const char* extraFile = nullptr,
                        const QByteArray& extra = QByteArray()) {
        const QString folder = dir.filePath(QStringLiteral("bad"));
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        writeFile(folder + QStringLiteral("/theme.txt"), text);
        if (extraFile)
            writeFile(folder + QLatin1Char('/') + QLatin1String(extraFile), extra);
        return skinTheme({QStringLiteral("pack"), folder, dir.filePath(QStringLiteral("o.vsk"))});
    };
    for (const QByteArray& text :
         {QByteArray("FormBorderColor=red\n"), QByteArray("FormMinWidthInt=12.5\n"),
          QByteArray("ButtonTransparentBool=maybe\n"), QByteArray("ButtonImage=x.bmp\n"),
          QByteArray("no equals sign\n"), QByteArray("FormMinWidthInt=1\nformminwidthint=2\n")}) {
        const ToolRun r = packWith(text);
        EXPECT_EQ(r.exitCode, 1) << text.constData();
        EXPECT_TRUE(r.err.contains(QStringLiteral("line"))) << qPrintable(r.err);
    }
    EXPECT_EQ(packWith("", "Nonsense.bmp", bmp(2, 2)).exitCode, 1);
    EXPECT_EQ(packWith("", "ButtonImage.bmp", "not a bitmap").exitCode, 1);
    EXPECT_EQ(skinTheme({QStringLiteral("pack"), dir.filePath(QStringLiteral("none")),
                         dir.filePath(QStringLiteral("o.vsk"))})
                  .exitCode,
              1);
    EXPECT_EQ(skinTheme({QStringLiteral("frobnicate")}).exitCode, 2);
}

TEST(SkinThemeTool, DumpReportsWhatItCouldNotRead) {
    QTemporaryDir dir;
    const QString notTheme = dir.filePath(QStringLiteral("x.txt"));
    writeFile(notTheme, "hello, world, this is text");
    ToolRun r = skinTheme({QStringLiteral("dump"), notTheme});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1);

    // Loaded entries are still printed before the walk stops; a bitmap that
    // does not decode is named invalid.
    ThemeFileBytes f;
    f.entry(rec(0), "ButtonImage", 0, 400, 4, rec(1))
        .entry(rec(1), "FormBorderColor", 1, 404, 4, rec(0))
        .put(400, "BMxx")
        .put(404, ThemeFileBytes::int32(42));
    const QString damaged = dir.filePath(QStringLiteral("loop.vsk"));
    writeFile(damaged, f.bytes);
    r = skinTheme({QStringLiteral("dump"), damaged});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, QStringLiteral("image ButtonImage invalid\nint FormBorderColor 42\n"));
    EXPECT_TRUE(r.err.contains(QStringLiteral("loop")));
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1);
}

TEST(SkinThemeTool, SampleThemesArePackedFromTheirFoldersAndComplete) {
    const QDir themes(sourceDir() + QStringLiteral("/resources/themes"));
    ASSERT_TRUE(themes.exists()) << "DECKVANE_SOURCE_DIR not set";
    const QStringList folders = themes.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(folders.size(), 2);
    for (const QString& folder : folders) {
        SCOPED_TRACE(qPrintable(folder));
        TskThemeFileWriter writer;
        QString error;
        ASSERT_TRUE(ReadThemeFolder(themes.filePath(folder), writer, &error)) << qPrintable(error);
        const QString file = themes.filePath(folder.left(1).toUpper() + folder.mid(1) + ".vsk");
        QFile packed(file);
        ASSERT_TRUE(packed.open(QIODevice::ReadOnly)) << qPrintable(file);
        EXPECT_EQ(packed.readAll(), writer.Bytes()) << "re-pack the theme with skin-theme";

        TskFileTheme theme;
        theme.SetThemeFile(file);
        ASSERT_TRUE(theme.IsThemeLoaded());
        const TskThemeFileReader* reader = theme.Mgr().Reader();
        ASSERT_TRUE(reader->Complete());
        // Every key this program's components read is in the file.
        const int readKeys[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                16, 17, 18, 19, 20, 21, 22, 23, 27, 44, 45, 46, 47, 48};
        for (int key : readKeys) {
            bool found = false;
            for (const auto& e : reader->Entries())
                found = found || e.name == QLatin1String(ThemeKeyNames[key - 1]);
            EXPECT_TRUE(found) << ThemeKeyNames[key - 1];
        }
        QImage image;
        theme.GetBitmap(ThemeKey::ButtonImage, image, 3, 1);
        EXPECT_EQ(image.height() % 2, 1); // kept corners need an odd height
        const std::pair<TskThemeKey, int> strips[] = {{ThemeKey::ButtonImage, 3},
                                                      {ThemeKey::CheckBoxImage, 4},
                                                      {ThemeKey::RadioButtonImage, 4},
                                                      {ThemeKey::TitleBarButtonImage, 18}};
        for (const auto& [key, frames] : strips) {
            QImage strip;
            theme.GetBitmap(key, strip);
            ASSERT_FALSE(strip.isNull()) << ThemeKeyNames[key - 1];
            EXPECT_EQ(strip.width() % frames, 0) << ThemeKeyNames[key - 1];
        }
    }
}

TEST(SkinSheetTool, HelpPrintsTheUsageAndWritesNothingWithoutADisplay) {
    QTemporaryDir dir;
    QProcess process;
    process.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(env);
    const QString tool =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/skin-sheet");
    process.start(tool, {"--help"});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.readAllStandardOutput().startsWith("usage: skin-sheet"));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    // An option where the output file goes is a usage error, not a file name.
    process.start(tool, {"--out", "sheet.png"});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    // The sheet itself draws without a display too.
    process.start(tool, {"sheet.png", "1", "MacOS"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_FALSE(QImage(dir.filePath("sheet.png")).isNull());
}
