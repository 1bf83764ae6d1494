#include "skin/theme/TskFileTheme.h"
#include "TskThemeFileWriter.h"
#include "component/ComponentState.h"
#include "component/PropertyByName.h"
#include "skin/controls/TskButton.h"
#include "skin/form/TskTitleBar.h"
#include "skin/form/TskTitleBarSection.h"
#include "skin/form/TskTitleBarSections.h"
#include "skin/menus/TskPopupMenu.h"
#include "skin/theme/SkinThemes.h"
#include "skin/theme/TskSkinError.h"
#include "tests/skin/SkinTestComponents.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <climits>
#include <gtest/gtest.h>

using skintest::ThemePropertyOnly;
using skintest::TskTestButton;

namespace {

QByteArray bmpOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

// A theme whose border colour tells which file it came from.
QByteArray themeBytes(qint32 borderColor, bool withImage = true) {
    TskThemeFileWriter writer;
    writer.AddInt(QStringLiteral("FormBorderColor"), borderColor);
    writer.AddBool(QStringLiteral("ButtonTransparentBool"), 1);
    if (withImage) {
        QImage strip(30, 7, QImage::Format_RGB32);
        strip.fill(qRgb(10, 10, 10));
        strip.setPixel(20, 0, qRgb(200, 100, 50)); // first pixel of frame 3
        writer.AddImage(QStringLiteral("ButtonImage"), bmpOf(strip));
    }
    return writer.Bytes();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(FileTheme, AnswersKeysFromItsFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.vsk"));
    writeFile(path, themeBytes(0x00C47339));
    TskFileTheme theme;
    EXPECT_EQ(theme.GetInt(ThemeKey::FormBorderColor), 0); // no reader yet
    QImage untouched(2, 2, QImage::Format_RGB32);
    theme.GetBitmap(ThemeKey::ButtonImage, untouched);
    EXPECT_EQ(untouched.size(), QSize(2, 2));

    theme.SetThemeFile(path);
    ASSERT_TRUE(theme.IsThemeLoaded());
    EXPECT_EQ(theme.ThemeFile(), path);
    EXPECT_EQ(theme.GetColor(ThemeKey::FormBorderColor), 0x00C47339);
    EXPECT_TRUE(theme.GetBool(ThemeKey::ButtonTransparentBool));
    EXPECT_EQ(theme.GetColor(ThemeKey::MenuFontColor), -1);
    EXPECT_FALSE(theme.GetBool(ThemeKey::TitleBarButtonTransparentBool));
    QImage whole;
    theme.GetBitmap(ThemeKey::ButtonImage, whole);
    EXPECT_EQ(whole.size(), QSize(30, 7));
    QImage frame;
    theme.GetBitmap(ThemeKey::ButtonImage, frame, 3, 3);
    ASSERT_EQ(frame.size(), QSize(10, 7));
    EXPECT_EQ(frame.pixel(0, 0), qRgb(200, 100, 50));
    QImage missing(4, 4, QImage::Format_RGB32);
    theme.GetBitmap(ThemeKey::CheckBoxImage, missing);
    EXPECT_EQ(missing.size(), QSize(4, 4));
    theme.GetBitmap(ThemeKey::CheckBoxImage, missing, 4, 1);
    EXPECT_TRUE(missing.isNull());

    // The resolution every component does goes to the file now.
    TskUIStyle effective;
    EXPECT_TRUE(UsingFileTheme(&theme, TskUIStyle::FromThemeFile, effective));
    EXPECT_EQ(effective, TskUIStyle::FromThemeFile);
    EXPECT_EQ(SkinGetColor(&theme, TskUIStyle::FromThemeFile, ThemeKey::FormBorderColor),
              0x00C47339);
    EXPECT_EQ(SkinGetColor(&theme, TskUIStyle::WinXP, ThemeKey::FormBorderColor), 0xC82C00);
}

TEST(FileTheme, InvalidAndMissingFilesChangeNothing) {
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.vsk"));
    const QString bad = dir.filePath(QStringLiteral("bad.vsk"));
    writeFile(good, themeBytes(1));
    writeFile(bad, "not a theme at all");
    TskFileTheme theme;
    theme.SetThemeFile(good);
    try {
        theme.SetThemeFile(bad);
        FAIL() << "no error";
    } catch (const TskSkinError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Invalid skin file for Deckvane!"));
    }
    EXPECT_EQ(theme.ThemeFile(), good);
    EXPECT_TRUE(theme.IsThemeLoaded());
    EXPECT_EQ(theme.GetInt(ThemeKey::FormBorderColor), 1);

    theme.SetThemeFile(dir.filePath(QStringLiteral("nowhere-to-be-found.vsk")));
    theme.SetThemeFile(QString()); // does not unload
    EXPECT_EQ(theme.ThemeFile(), good);
    EXPECT_EQ(theme.GetInt(ThemeKey::FormBorderColor), 1);
}

TEST(FileTheme, SamePathLoadsOnce) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.vsk"));
    writeFile(path, themeBytes(1));
    TskFileTheme theme;
    theme.SetThemeFile(path);
    writeFile(path, themeBytes(2));
    theme.SetThemeFile(path);
    EXPECT_EQ(theme.GetInt(ThemeKey::FormBorderColor), 1);

    // A relative path that exists as given is kept as given, so the same
    // value again is the same path and loads nothing.
    const QString home = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    TskFileTheme relative;
    relative.SetThemeFile(QStringLiteral("t.vsk"));
    EXPECT_EQ(relative.ThemeFile(), "t.vsk");
    EXPECT_EQ(relative.GetInt(ThemeKey::FormBorderColor), 2);
    writeFile(path, themeBytes(3));
    relative.SetThemeFile(QStringLiteral("t.vsk"));
    EXPECT_EQ(relative.GetInt(ThemeKey::FormBorderColor), 2);
    QDir::setCurrent(home);
}

TEST(FileTheme, BareNamesAreSearchedInTheProgramFolderThenTheUserFolder) {
    const QString name = QStringLiteral("deckvane-search-test.vsk");
    const QString inProgram = TskFileTheme::ProgramDirSlash() + name;
    QTemporaryDir data;
    const QByteArray oldXdg = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    ASSERT_TRUE(QDir().mkpath(TskFileTheme::UserThemeDirSlash()));
    EXPECT_TRUE(TskFileTheme::UserThemeDirSlash().startsWith(data.path()));
    EXPECT_TRUE(TskFileTheme::UserThemeDirSlash().endsWith(QStringLiteral("/deckvane/themes/")));
    EXPECT_TRUE(
        TskFileTheme::InstalledThemeDirSlash().endsWith(QStringLiteral("/share/deckvane/themes/")));
    const QString inUser = TskFileTheme::UserThemeDirSlash() + name;

    writeFile(inUser, themeBytes(20));
    {
        TskFileTheme theme;
        theme.SetThemeFile(QStringLiteral("some/where/else/") + name);
        EXPECT_EQ(theme.ThemeFile(), inUser);
        EXPECT_EQ(theme.GetInt(ThemeKey::FormBorderColor), 20);
    }
    writeFile(inProgram, themeBytes(10));
    // Not found as given: the current folder is elsewhere.
    const QString home = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(data.path()));
    {
        TskFileTheme theme;
        theme.SetThemeFile(name);
        EXPECT_EQ(theme.ThemeFile(), inProgram); // the program's folder comes first
        EXPECT_EQ(theme.GetInt(ThemeKey::FormBorderColor), 10);
        // The same bare name again: the stored path differs, so it reloads.
        writeFile(inProgram, themeBytes(11));
        theme.SetThemeFile(name);
        EXPECT_EQ(theme.GetInt(ThemeKey::FormBorderColor), 11);
    }
    QDir::setCurrent(home);
    QFile::remove(inProgram);
    if (oldXdg.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldXdg);
}

TEST(FileTheme, LoadingReassignsTheComponentsThatUseIt) {
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("1.vsk"));
    const QString second = dir.filePath(QStringLiteral("2.vsk"));
    writeFile(first, themeBytes(0x111111));
    writeFile(second, themeBytes(0x222222));

    QWidget form;
    auto* skinForm = new skintest::TskForm(&form);
    auto* theme = new TskFileTheme(&form);
    auto* other = new TskFileTheme(&form);
    skinForm->SetFileTheme(theme);
    auto* user = new TskTestButton(&form);
    user->SetFileTheme(theme);
    user->SetUIStyle(TskUIStyle::FromThemeFile);
    auto* panel = new QWidget(&form);
    auto* nested = new TskTestButton(panel); // owned by the form, inside a panel
    nested->SetFileTheme(theme);
    nested->SetUIStyle(TskUIStyle::FromThemeFile);
    auto* stranger = new TskTestButton(&form);
    stranger->SetFileTheme(other);
    stranger->SetUIStyle(TskUIStyle::FromThemeFile);
    auto* notSkinned = new ThemePropertyOnly(&form);
    notSkinned->SetFileTheme(theme);
    // A part the skinned form made for itself is the form's, not the
    // window's: it follows the form and is not handed the theme again.
    auto* part = new TskTestButton(&form);
    ComponentState::setOwner(part, skinForm);
    part->SetFileTheme(theme);
    const int partBefore = part->applyCount;
    QSignalSpy refreshes(theme, &TskFileTheme::frameRefreshRequested);

    const int before = user->applyCount, strangerBefore = stranger->applyCount;
    theme->SetThemeFile(first);
    EXPECT_GT(user->applyCount, before);
    EXPECT_EQ(user->borderColor, 0x111111);
    EXPECT_EQ(nested->borderColor, 0x111111);
    EXPECT_EQ(stranger->applyCount, strangerBefore);
    EXPECT_EQ(notSkinned->assignments, 1);
    EXPECT_EQ(part->applyCount, partBefore);
    EXPECT_EQ(refreshes.count(), 0); // no frame refresh on the first load
    EXPECT_EQ(skinForm->frameRefreshes, 0);

    theme->SetThemeFile(second);
    EXPECT_EQ(user->borderColor, 0x222222);
    EXPECT_EQ(refreshes.count(), 1);
    EXPECT_EQ(skinForm->frameRefreshes, 1);

    // Destroying the theme turns its users to DeepBlue.
    delete theme;
    EXPECT_EQ(user->UIStyle(), TskUIStyle::DeepBlue);
    EXPECT_EQ(user->FileTheme(), nullptr);
    EXPECT_EQ(user->borderColor, 0x000000);
    EXPECT_EQ(nested->UIStyle(), TskUIStyle::DeepBlue);
    EXPECT_EQ(stranger->UIStyle(), TskUIStyle::FromThemeFile);
}

// Each kind of skinned component keeps values it read from the file; a
// reload must reach every kind, or it keeps showing the old file.
TEST(FileTheme, AReloadReachesEveryKindOfSkinnedComponent) {
    QTemporaryDir dir;
    const auto themeFile = [&](const char* name, qint32 colour, bool transparent, int width) {
        TskThemeFileWriter writer;
        writer.AddInt(QStringLiteral("FormBorderColor"), colour);
        writer.AddInt(QStringLiteral("MenuFontColor"), colour);
        writer.AddBool(QStringLiteral("ButtonTransparentBool"), transparent);
        QImage left(width, 20, QImage::Format_RGB32);
        left.fill(qRgb(90, 90, 90));
        writer.AddImage(QStringLiteral("TitleBarLeftImage"), bmpOf(left));
        const QString path = dir.filePath(QLatin1String(name));
        writeFile(path, writer.Bytes());
        return path;
    };
    const QString first = themeFile("1.vsk", 0x111111, true, 7);
    const QString second = themeFile("2.vsk", 0x222222, false, 11);

    QWidget window;
    auto* theme = new TskFileTheme(&window);
    auto* panel = new QWidget(&window);
    auto* button = new TskButton(panel);
    auto* bar = new TskTitleBar(panel);
    auto* menu = new TskPopupMenu(&window);
    theme->SetThemeFile(first);
    for (QObject* user :
         {static_cast<QObject*>(button), static_cast<QObject*>(bar), static_cast<QObject*>(menu)}) {
        SetPropertyByName(user, "FileTheme", QVariant::fromValue(theme));
        SetPropertyByName(user, "UIStyle", QVariant::fromValue(TskUIStyle::FromThemeFile));
    }
    ASSERT_TRUE(button->Transparent());
    ASSERT_EQ(menu->FontColor(), 0x111111);
    ASSERT_EQ(bar->Sections()->Items(0)->Picture().width(), 7);

    theme->SetThemeFile(second);
    EXPECT_FALSE(button->Transparent());
    EXPECT_EQ(menu->FontColor(), 0x222222);
    EXPECT_EQ(bar->Sections()->Items(0)->Picture().width(), 11);
}

TEST(FileTheme, WithoutAFormOwnerNothingIsReassigned) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("1.vsk"));
    writeFile(path, themeBytes(5));
    QWidget form;
    QWidget panel(&form);
    auto* theme = new TskFileTheme(&panel); // owned by a panel, not a form
    auto* user = new TskTestButton(&form);
    user->SetFileTheme(theme);
    const int before = user->applyCount;
    theme->SetThemeFile(path);
    EXPECT_EQ(user->applyCount, before);
    EXPECT_TRUE(theme->IsThemeLoaded());
}

TEST(FileTheme, ThemeFilePropertyWorksThroughTheMetaObject) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.vsk"));
    writeFile(path, themeBytes(7, false));
    TskFileTheme theme;
    EXPECT_TRUE(theme.setProperty("ThemeFile", path));
    EXPECT_EQ(theme.GetInt(ThemeKey::FormBorderColor), 7);
    EXPECT_EQ(theme.property("themefile").toString(), QString()); // names are exact here
    EXPECT_EQ(GetPropertyByName(&theme, "themefile").toString(), path);
}

TEST(FileTheme, AnImageCutShortLeavesTheThemeUnloadedAndItsUsersOnTheFallback) {
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.vsk"));
    const QString cut = dir.filePath(QStringLiteral("cut.vsk"));
    writeFile(good, themeBytes(0x112233));
    QByteArray bytes = themeBytes(0x445566);
    bytes.chop(10); // the image's last pixels (the image data comes last)
    writeFile(cut, bytes);
    QWidget form;
    auto* theme = new TskFileTheme(&form);
    auto* button = new TskTestButton(&form);
    theme->SetThemeFile(good);
    button->SetFileTheme(theme);
    button->SetUIStyle(TskUIStyle::FromThemeFile);
    EXPECT_EQ(button->borderColor, 0x112233);
    EXPECT_THROW(theme->SetThemeFile(cut), TskSkinError);
    EXPECT_FALSE(theme->IsThemeLoaded());
    EXPECT_EQ(theme->GetInt(ThemeKey::FormBorderColor), 0); // no reader: nothing half-read
    TskUIStyle effective;
    EXPECT_FALSE(UsingFileTheme(theme, TskUIStyle::FromThemeFile, effective));
    EXPECT_EQ(effective, TskUIStyle::DeepBlue);
    // The button was told, so it re-read its skin: the fallback's now.
    EXPECT_EQ(button->borderColor,
              GetBuiltinColor(TskUIStyle::DeepBlue, ThemeKey::FormBorderColor));
}

TEST(FileTheme, IntegersThatFeedGeometryAreHeldToASaneRange) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wild.vsk"));
    TskThemeFileWriter writer;
    writer.AddInt(QStringLiteral("FormMinWidthInt"), 2147483647);
    writer.AddInt(QStringLiteral("FormRoundCornerInt"), INT_MIN);
    writer.AddInt(QStringLiteral("TitleBarButtonTopInt"), -1);
    writer.AddInt(QStringLiteral("FormBorderColor"), 0x7FFFFFFF);
    writeFile(path, writer.Bytes());
    TskFileTheme theme;
    theme.SetThemeFile(path);
    EXPECT_EQ(theme.GetInt(ThemeKey::FormMinWidthInt), TskFileTheme::kThemeIntLimit);
    EXPECT_EQ(theme.GetInt(ThemeKey::FormRoundCornerInt), -TskFileTheme::kThemeIntLimit);
    EXPECT_EQ(theme.GetInt(ThemeKey::TitleBarButtonTopInt), -1);      // "missing" keeps its meaning
    EXPECT_EQ(theme.GetColor(ThemeKey::FormBorderColor), 0x7FFFFFFF); // colours untouched
}
