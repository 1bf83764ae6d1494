#include "tests/skin/DrawnPixels.h"

#include "skin/theme/SkinStyleList.h"
#include "skin/theme/SkinThemes.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Expected {
    const char* name;
    int width, height, frames;
};

// The compiled-in images as the program's components and menus expect them.
const Expected Images[] = {
    {"MACOS_BUTTON", 252, 23, 3},
    {"WINXP_BUTTON", 54, 21, 3},
    {"DEEPBLUE_BUTTON", 222, 21, 3},
    {"PROTEIN_BUTTON", 222, 21, 3},
    {"BLUEGLASS_BUTTON", 231, 27, 3},
    {"MACOS_CHECKBOX", 60, 17, 4},
    {"WINXP_CHECKBOX", 52, 13, 4},
    {"DEEPBLUE_CHECKBOX", 52, 13, 4},
    {"PROTEIN_CHECKBOX", 52, 13, 4},
    {"BLUEGLASS_CHECKBOX", 52, 13, 4},
    {"MACOS_RADIOBUTTON", 64, 17, 4},
    {"WINXP_RADIOBUTTON", 52, 13, 4},
    {"DEEPBLUE_RADIOBUTTON", 52, 13, 4},
    {"PROTEIN_RADIOBUTTON", 52, 13, 4},
    {"BLUEGLASS_RADIOBUTTON", 52, 13, 4},
    {"MACOS_TITLEBTN", 306, 17, 18},
    {"WINXP_TITLEBTN", 378, 21, 18},
    {"DEEPBLUE_TITLEBTN", 342, 19, 18},
    {"PROTEIN_TITLEBTN", 342, 19, 18},
    {"BLUEGLASS_TITLEBTN", 342, 19, 18},
    {"MACOS_TITLE_LEFT", 48, 23, 1},
    {"WINXP_TITLE_LEFT", 35, 29, 1},
    {"DEEPBLUE_TITLE_LEFT", 97, 32, 1},
    {"PROTEIN_TITLE_LEFT", 441, 23, 1},
    {"BLUEGLASS_TITLE_LEFT", 162, 33, 1},
    {"MACOS_TITLE_CLIENT", 49, 23, 1},
    {"WINXP_TITLE_CLIENT", 37, 29, 1},
    {"DEEPBLUE_TITLE_CLIENT", 98, 32, 1},
    {"PROTEIN_TITLE_CLIENT", 1, 23, 1},
    {"BLUEGLASS_TITLE_CLIENT", 179, 33, 1},
    {"MACOS_TITLE_RIGHT", 48, 23, 1},
    {"WINXP_TITLE_RIGHT", 35, 29, 1},
    {"DEEPBLUE_TITLE_RIGHT", 97, 32, 1},
    {"PROTEIN_TITLE_RIGHT", 1, 23, 1},
    {"BLUEGLASS_TITLE_RIGHT", 101, 33, 1},
    {"MACOS_PROGRESSBAR", 13, 10, 1},
    {"WINXP_PROGRESSBAR", 6, 10, 1},
    {"DEEPBLUE_PROGRESSBAR", 1, 10, 1},
    {"PROTEIN_PROGRESSBAR", 1, 10, 1},
    {"BLUEGLASS_PROGRESSBAR", 1, 10, 1},
    {"MACOS_TRACKBAR_BAR", 45, 5, 1},
    {"WINXP_TRACKBAR_BAR", 45, 8, 1},
    {"DEEPBLUE_TRACKBAR_BAR", 45, 4, 1},
    {"PROTEIN_TRACKBAR_BAR", 45, 4, 1},
    {"BLUEGLASS_TRACKBAR_BAR", 45, 4, 1},
    {"MACOS_TRACKBAR_SLIDER", 11, 20, 1},
    {"WINXP_TRACKBAR_SLIDER", 11, 21, 1},
    {"DEEPBLUE_TRACKBAR_SLIDER", 11, 20, 1},
    {"PROTEIN_TRACKBAR_SLIDER", 11, 20, 1},
    {"BLUEGLASS_TRACKBAR_SLIDER", 11, 20, 1},
    {"MACOS_TRACKBAR_SLIDER_V", 19, 11, 1},
    {"WINXP_TRACKBAR_SLIDER_V", 22, 11, 1},
    {"DEEPBLUE_TRACKBAR_SLIDER_V", 18, 11, 1},
    {"PROTEIN_TRACKBAR_SLIDER_V", 18, 11, 1},
    {"BLUEGLASS_TRACKBAR_SLIDER_V", 18, 11, 1},
    {"MACOS_SCROLLBAR_BUTTON", 96, 22, 6},
    {"WINXP_SCROLLBAR_BUTTON", 96, 17, 6},
    {"DEEPBLUE_SCROLLBAR_BUTTON", 96, 16, 6},
    {"PROTEIN_SCROLLBAR_BUTTON", 96, 16, 6},
    {"BLUEGLASS_SCROLLBAR_BUTTON", 102, 16, 6},
    {"MACOS_SCROLLBAR_TRACK", 33, 16, 3},
    {"WINXP_SCROLLBAR_TRACK", 21, 16, 3},
    {"DEEPBLUE_SCROLLBAR_TRACK", 21, 16, 3},
    {"PROTEIN_SCROLLBAR_TRACK", 21, 16, 3},
    {"BLUEGLASS_SCROLLBAR_TRACK", 21, 16, 3},
    {"MACOS_CHECKLIST", 40, 11, 4},
    {"WINXP_CHECKLIST", 44, 11, 4},
    {"DEEPBLUE_CHECKLIST", 44, 11, 4},
    {"PROTEIN_CHECKLIST", 44, 11, 4},
    {"BLUEGLASS_CHECKLIST", 44, 11, 4},
    {"MACOS_SCROLLBUTTON", 72, 18, 4},
    {"WINXP_SCROLLBUTTON", 72, 18, 4},
    {"MORE_SCROLLBUTTON", 72, 17, 4},
    {"MACOS_TAB", 36, 27, 3},
    {"WINXP_TAB", 18, 18, 3},
    {"DEEPBLUE_TAB", 12, 17, 3},
    {"PROTEIN_TAB", 18, 17, 3},
    {"BLUEGLASS_TAB", 18, 17, 3},
    {"MACOS_TAB_LINE", 17, 7, 1},
    {"WINXP_TAB_LINE", 8, 1, 1},
    {"DEEPBLUE_TAB_LINE", 5, 5, 1},
    {"PROTEIN_TAB_LINE", 10, 5, 1},
    {"BLUEGLASS_TAB_LINE", 10, 5, 1},
    {"MACOS_SIDECHENNEL_HANDLE", 7, 84, 1},
    {"WINXP_SIDECHENNEL_HANDLE", 8, 86, 1},
    {"DEEPBLUE_SIDECHENNEL_HANDLE", 8, 83, 1},
    {"PROTEIN_SIDECHENNEL_HANDLE", 8, 83, 1},
    {"BLUEGLASS_SIDECHENNEL_HANDLE", 8, 86, 1},
    {"MACOS_SIDECHENNEL_BAR", 1, 21, 1},
    {"WINXP_SIDECHENNEL_BAR", 1, 21, 1},
    {"DEEPBLUE_SIDECHENNEL_BAR", 1, 20, 1},
    {"PROTEIN_SIDECHENNEL_BAR", 1, 21, 1},
    {"BLUEGLASS_SIDECHENNEL_BAR", 1, 21, 1},
    {"MACOS_FORM_BACKGROUND", 8, 8, 1},
    {"PROTEIN_FORM_BACKGROUND", 8, 8, 1},
    {"MACOS_MENU_BAR", 1, 22, 1},
    {"MACOS_MENU_SELECT", 1, 21, 1},
    {"MACOS_COMBOBOX_BUTTON", 16, 17, 1},
    {"WINXP_COMBOBOX_BUTTON", 16, 18, 1},
    {"MENU_CHECKED", 16, 16, 1},
};

constexpr QRgb Key = 0xFF00FF;
constexpr QRgb TitleKey = 0xF504FA;

QRgb rgb(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

bool cornersAre(const QImage& frame, QRgb color, bool bottomToo) {
    const int r = frame.width() - 1, b = frame.height() - 1;
    bool ok = rgb(frame, 0, 0) == color && rgb(frame, r, 0) == color;
    if (bottomToo)
        ok = ok && rgb(frame, 0, b) == color && rgb(frame, r, b) == color;
    return ok;
}

bool contains(const QImage& image, QRgb color) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (rgb(image, x, y) == color)
                return true;
    return false;
}

QImage frameOf(const QImage& strip, int frames, int index) {
    const int fw = strip.width() / frames;
    return strip.copy(fw * (index - 1), 0, fw, strip.height());
}

} // namespace

TEST(SkinImages, EveryResourceIsPresentWithItsSizeAndFrames) {
    for (const Expected& e : Images) {
        SCOPED_TRACE(e.name);
        const QImage image = LoadBuiltinImage(QLatin1String(e.name));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(e.width, e.height));
        EXPECT_EQ(e.width % e.frames, 0);
    }
}

// The committed pictures are the generator's output: a drawing changed
// without re-running skin-image-gen, or a hand-edited picture, shows here.
// They were drawn on another machine, whose smooth edges and gradients
// round a unit differently here and there. DECKVANE_SKIN_IMAGES_DRAWN names
// a folder of pictures the generator drew elsewhere (on an emulated
// processor) to compare instead of drawing them here.
TEST(SkinImages, TheCompiledInPicturesAreWhatTheGeneratorDraws) {
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    QString folder = qEnvironmentVariable("DECKVANE_SKIN_IMAGES_DRAWN");
    if (folder.isEmpty()) {
        folder = out.path();
        QProcess generator;
        generator.start(QCoreApplication::applicationDirPath() +
                            QStringLiteral("/../bin/skin-image-gen"),
                        {folder});
        ASSERT_TRUE(generator.waitForFinished(60000)) << "skin-image-gen did not finish";
        ASSERT_EQ(generator.exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();
    }
    const QStringList drawn = QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files);
    EXPECT_EQ(drawn.size(), qsizetype(std::size(Images)));
    for (const QString& file : drawn) {
        SCOPED_TRACE(file.toStdString());
        const QImage fresh = QImage(folder + QLatin1Char('/') + file);
        const QImage built = LoadBuiltinImage(file.chopped(4));
        ASSERT_FALSE(built.isNull()) << "not compiled in";
        ASSERT_EQ(fresh.size(), built.size());
        int differing = 0;
        int most = 0;
        for (int y = 0; y < fresh.height(); ++y)
            for (int x = 0; x < fresh.width(); ++x) {
                const int difference = channelDifference(fresh.pixel(x, y) | 0xFF000000,
                                                         built.pixel(x, y) | 0xFF000000);
                differing += difference > kRoundingTolerance;
                most = std::max(most, difference);
            }
        EXPECT_EQ(differing, 0) << "pixels differ by up to " << most
                                << "; run skin-image-gen resources/skin";
    }
}

TEST(SkinImages, EveryImageKeyOfEveryStyleResolvesToAResource) {
    for (const SkinStyle& style : SkinStyleList::All()) {
        for (TskThemeKey key = ThemeKey::First; key <= ThemeKey::Last; ++key) {
            if (ThemeKeyKind(key) != TskThemeValueKind::tvImage || key == 43 || key == 45 ||
                key == 46)
                continue;
            QImage image;
            LoadBuiltinBitmap(style.style, key, &image);
            EXPECT_FALSE(image.isNull()) << style.name << " " << ThemeKeyNames[key - 1];
        }
    }
}

TEST(SkinImages, KeyColourWhereTheImagesAreTransparent) {
    const auto expectCorners = [](const char* name, int frames, bool bottomToo) {
        const QImage strip = LoadBuiltinImage(QLatin1String(name));
        ASSERT_FALSE(strip.isNull()) << name;
        for (int f = 1; f <= frames; ++f)
            EXPECT_TRUE(cornersAre(frameOf(strip, frames, f), Key, bottomToo))
                << name << " frame " << f;
    };
    expectCorners("MACOS_BUTTON", 3, true);
    expectCorners("BLUEGLASS_BUTTON", 3, true);
    for (const SkinStyle& style : SkinStyleList::All()) {
        const char* prefix = style.prefix;
        expectCorners(qPrintable(QStringLiteral("%1_RADIOBUTTON").arg(prefix)), 4, true);
        expectCorners(qPrintable(QStringLiteral("%1_TRACKBAR_SLIDER").arg(prefix)), 1, true);
        expectCorners(qPrintable(QStringLiteral("%1_TAB").arg(prefix)), 1, false);
    }
    expectCorners("MACOS_SCROLLBUTTON", 4, true);
    expectCorners("WINXP_SCROLLBUTTON", 4, true);
    expectCorners("MORE_SCROLLBUTTON", 4, true);
    // The two transparent title-button strips use their own background, which
    // the title bar reads from each frame's lower-left pixel.
    for (const char* name : {"PROTEIN_TITLEBTN", "BLUEGLASS_TITLEBTN"}) {
        const QImage strip = LoadBuiltinImage(QLatin1String(name));
        for (int f = 1; f <= 18; ++f)
            EXPECT_TRUE(cornersAre(frameOf(strip, 18, f), TitleKey, true)) << name << " " << f;
    }
}

TEST(SkinImages, OpaqueFacesHaveNoKeyColourToPunchHoles) {
    // Stretched edges always drop the key colour, so a face drawn opaque must
    // not hold it anywhere; neither may title sections or opaque title buttons.
    for (const char* name :
         {"WINXP_BUTTON", "DEEPBLUE_BUTTON", "PROTEIN_BUTTON", "MACOS_TITLEBTN", "WINXP_TITLEBTN",
          "DEEPBLUE_TITLEBTN", "MACOS_TITLE_LEFT", "WINXP_TITLE_CLIENT", "DEEPBLUE_TITLE_RIGHT",
          "PROTEIN_TITLE_LEFT", "BLUEGLASS_TITLE_CLIENT", "MACOS_CHECKBOX", "WINXP_CHECKBOX"})
        EXPECT_FALSE(contains(LoadBuiltinImage(QLatin1String(name)), Key)) << name;
    // Neither may the inside of a transparent face: only its corners.
    const QImage mac = frameOf(LoadBuiltinImage(QStringLiteral("MACOS_BUTTON")), 3, 1);
    EXPECT_FALSE(contains(mac.copy(12, 1, mac.width() - 24, mac.height() - 2), Key));
}

TEST(SkinImages, FramesShowDifferentThings) {
    // Six title buttons, each in three looks (normal, mouse over, pressed).
    // The buttons differ from one another and each one's mouse-over look
    // from its normal one; mouse over and pressed may be the same picture
    // (the MacOS strip is drawn that way).
    auto bytesOf = [](const QImage& frame) {
        return QByteArray(reinterpret_cast<const char*>(frame.constBits()), frame.sizeInBytes());
    };
    for (const char* name : {"MACOS_TITLEBTN", "WINXP_TITLEBTN", "DEEPBLUE_TITLEBTN",
                             "PROTEIN_TITLEBTN", "BLUEGLASS_TITLEBTN"}) {
        const QImage strip = LoadBuiltinImage(QLatin1String(name));
        QSet<QByteArray> normals;
        for (int button = 0; button < 6; ++button) {
            const QByteArray normal = bytesOf(frameOf(strip, 18, 3 * button + 1));
            normals.insert(normal);
            EXPECT_NE(normal, bytesOf(frameOf(strip, 18, 3 * button + 2)))
                << name << " button " << button;
            EXPECT_NE(normal, bytesOf(frameOf(strip, 18, 3 * button + 3)))
                << name << " button " << button;
        }
        EXPECT_EQ(normals.size(), 6) << name;
    }
    // The MacOS strip lights a button under the pointer and keeps that
    // picture while it is held down.
    const QImage mac = LoadBuiltinImage(QStringLiteral("MACOS_TITLEBTN"));
    for (int button = 0; button < 6; ++button)
        EXPECT_EQ(bytesOf(frameOf(mac, 18, 3 * button + 2)),
                  bytesOf(frameOf(mac, 18, 3 * button + 3)))
            << "MacOS button " << button;
    for (const char* name : {"MACOS_CHECKBOX", "WINXP_RADIOBUTTON", "PROTEIN_CHECKBOX",
                             "BLUEGLASS_RADIOBUTTON", "DEEPBLUE_BUTTON", "MACOS_BUTTON"}) {
        const QImage strip = LoadBuiltinImage(QLatin1String(name));
        const int frames =
            QByteArray(name).endsWith("BUTTON") && !QByteArray(name).contains("RADIO") ? 3 : 4;
        QSet<QByteArray> seen;
        for (int f = 1; f <= frames; ++f) {
            const QImage frame = frameOf(strip, frames, f);
            seen.insert(
                QByteArray(reinterpret_cast<const char*>(frame.constBits()), frame.sizeInBytes()));
        }
        EXPECT_EQ(seen.size(), frames) << name;
    }
}

TEST(SkinImages, MenuCheckMarkIsDarkOnWhite) {
    const QImage mark = LoadBuiltinImage(QStringLiteral("MENU_CHECKED"));
    EXPECT_EQ(rgb(mark, 0, 0), 0xFFFFFFu);
    int dark = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            dark += qGray(mark.pixel(x, y)) < 96;
    EXPECT_GT(dark, 10);
}
