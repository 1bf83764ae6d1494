// What the skin gallery drew, checked by its pixels: the gallery runs into an
// emptied folder first (a CTest fixture), so every picture here is new.

#include "skin/theme/SkinThemes.h"

#include <QDir>
#include <QImage>
#include <QMetaEnum>
#include <gtest/gtest.h>

namespace {

const TskUIStyle kStyles[] = {TskUIStyle::MacOS, TskUIStyle::WinXP, TskUIStyle::DeepBlue,
                              TskUIStyle::Protein, TskUIStyle::BlueGlass};

QString styleName(TskUIStyle style) {
    return QString::fromLatin1(QMetaEnum::fromType<TskUIStyle>().valueToKey(int(style)));
}

QImage picture(const QString& name) {
    const QString path = QStringLiteral(DECKVANE_GALLERY_DIR "/") + name;
    QImage image(path);
    EXPECT_FALSE(image.isNull()) << path.toStdString() << " is missing or not a picture";
    return image.convertToFormat(QImage::Format_ARGB32);
}

QRgb rgbOf(qint32 bgr) {
    return qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF) & 0xFFFFFF;
}

QRgb at(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

bool same(const QImage& a, const QImage& b) {
    return a.size() == b.size() && a == b;
}

} // namespace

TEST(Gallery, PushButtonStatesLookDifferentInEveryStyle) {
    for (TskUIStyle style : kStyles) {
        SCOPED_TRACE(styleName(style).toStdString());
        const QString dir = styleName(style) + QLatin1Char('/');
        const QStringList states = {"normal", "hover", "pressed", "disabled", "focused"};
        QList<QImage> shots;
        for (const QString& state : states) {
            shots.append(picture(dir + "button-" + state + ".png"));
            // The 80 x 27 button with 8 pixels of its stage around it.
            EXPECT_EQ(shots.last().size(), QSize(96, 43)) << state.toStdString();
        }
        for (int i = 0; i < shots.size(); ++i)
            for (int j = i + 1; j < shots.size(); ++j)
                EXPECT_FALSE(same(shots[i], shots[j]))
                    << states[i].toStdString() << " looks like " << states[j].toStdString();
        // The stage around the button is the style's form colour.
        EXPECT_EQ(at(shots[0], 1, 1), rgbOf(GetBuiltinColor(style, ThemeKey::FormBackgroundColor)));
    }
}

TEST(Gallery, BoxesShowTheirCheckAndEnabledStates) {
    for (TskUIStyle style : kStyles) {
        SCOPED_TRACE(styleName(style).toStdString());
        for (const QString kind : {"checkbox", "radio"}) {
            const QString dir = styleName(style) + QLatin1Char('/') + kind;
            const QImage checked = picture(dir + "-checked.png");
            const QImage unchecked = picture(dir + "-unchecked.png");
            const QImage checkedOff = picture(dir + "-checked-disabled.png");
            const QImage uncheckedOff = picture(dir + "-unchecked-disabled.png");
            EXPECT_FALSE(same(checked, unchecked)) << kind.toStdString();
            EXPECT_FALSE(same(checked, checkedOff)) << kind.toStdString();
            EXPECT_FALSE(same(unchecked, uncheckedOff)) << kind.toStdString();
            EXPECT_EQ(checked.size(), unchecked.size());
        }
        const QString dir = styleName(style) + QLatin1Char('/');
        const QImage normal = picture(dir + "panel-normal.png");
        EXPECT_EQ(normal.size(), QSize(120, 60));
        EXPECT_FALSE(same(normal, picture(dir + "panel-stretch.png")));
        EXPECT_FALSE(same(normal, picture(dir + "panel-tile.png")));
    }
}

TEST(Gallery, WindowsWearTheirStylesFrame) {
    for (TskUIStyle style : kStyles) {
        SCOPED_TRACE(styleName(style).toStdString());
        const QImage window = picture(styleName(style) + "/window.png");
        // The stored client area inside the 3-pixel ring.
        ASSERT_EQ(window.size(), QSize(831, 482));
        const QRgb border = rgbOf(GetBuiltinColor(style, ThemeKey::FormBorderColor));
        const int borderWidth = GetBuiltinInt(style, ThemeKey::FormBorderWidthInt);
        const int W = window.width(), H = window.height();
        for (int i = 0; i < borderWidth; ++i) {
            EXPECT_EQ(at(window, i, H / 2), border) << "left, column " << i;
            EXPECT_EQ(at(window, W - 1 - i, H / 2), border) << "right, column " << i;
            EXPECT_EQ(at(window, W / 2, H - 1 - i), border) << "bottom, row " << i;
        }
        // Inside the line, the ring is the form's colour down the sides.
        if (borderWidth < 3) {
            const QRgb color = rgbOf(GetBuiltinColor(style, ThemeKey::FormBackgroundColor));
            EXPECT_EQ(at(window, borderWidth, H / 2), color);
            EXPECT_EQ(at(window, W / 2, H - 1 - borderWidth), color);
        }
        // The title bar starts at the window's corner: its left image's pixels.
        QImage left;
        LoadBuiltinBitmap(style, ThemeKey::TitleBarLeftImage, &left);
        left = left.convertToFormat(QImage::Format_ARGB32);
        // (Between the control box and the caption.)
        for (int y = 3; y < 16; y += 4)
            EXPECT_EQ(at(window, 27, y), at(left, 27, y)) << "row " << y;
        // Rounded styles cut the top corners away; square ones keep them.
        const bool rounded = GetBuiltinInt(style, ThemeKey::FormRoundCornerInt) > 0;
        EXPECT_EQ(qAlpha(window.pixel(0, 0)) == 0, rounded);
        EXPECT_EQ(qAlpha(window.pixel(W - 1, 0)) == 0, rounded);
        EXPECT_EQ(qAlpha(window.pixel(W / 2, 0)), 255);

        // Without the title bar the frame goes round the top too.
        const QImage bare = picture(styleName(style) + "/window-no-title.png");
        EXPECT_EQ(bare.size(), QSize(306, 136));
        EXPECT_EQ(at(bare, bare.width() / 2, 0), border);
        EXPECT_NE(at(bare, bare.width() / 2, 0), at(window, W / 2, 0));
        const QImage menu = picture(styleName(style) + "/window-menu.png");
        EXPECT_EQ(menu.size(), QSize(306, 136));
        EXPECT_FALSE(same(menu, bare));
    }
    // The main window as stored: MacOS frame, a 20-pixel title bar.
    const QImage main = picture("window.png");
    EXPECT_EQ(main.size(), QSize(831, 482));
    EXPECT_TRUE(same(main, picture("MacOS/window.png")));
    EXPECT_GT(picture("images.png").width(), 1000);
}
