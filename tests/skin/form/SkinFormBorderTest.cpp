#include "skin/form/SkinFormBorder.h"

#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>
#include <set>

namespace {

constexpr QRgb kSentinel = 0xFF123456;
constexpr qint32 kBorder = 0x007F7F7F; // MacOS
constexpr qint32 kColor = 0x00E7E7E7;

// A title image whose pixel (x, y) tells where it came from.
QImage coded(int width, int height, int tag) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(tag, x, y));
    return image;
}

SkinFormBorder::Input macInput(int w, int h) {
    SkinFormBorder::Input in;
    in.width = w;
    in.height = h;
    in.borderColor = kBorder;
    in.borderWidth = 1;
    in.color = kColor;
    in.titleBarVisible = true;
    in.titleBarHeight = 20;
    in.standardSections = true;
    in.leftImage = coded(10, 23, 1);
    in.rightImage = coded(12, 23, 2);
    in.clientImage = coded(1, 23, 3);
    return in;
}

QImage paint(const SkinFormBorder::Input& in) {
    QImage image(in.width, in.height, QImage::Format_RGB32);
    image.fill(kSentinel);
    QPainter canvas(&image);
    SkinFormBorder::Paint(canvas, in);
    return image;
}

QRgb rgb(qint32 bgr) {
    return qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

} // namespace

TEST(SkinFormBorder, MacOsRingHasTheBorderLineOutsideAndTheFormColourInside) {
    const int W = 120, H = 90;
    const QImage image = paint(macInput(W, H));
    for (int y = 0; y < H; ++y) {
        EXPECT_EQ(image.pixel(0, y), rgb(kBorder)) << "left, row " << y;
        EXPECT_EQ(image.pixel(W - 1, y), rgb(kBorder)) << "right, row " << y;
    }
    for (int x = 0; x < W; ++x)
        EXPECT_EQ(image.pixel(x, H - 1), rgb(kBorder)) << "bottom, column " << x;
    // Below the title images (23 rows) the two inner pixels are the form colour.
    for (int y = 23; y < H - 1; ++y)
        for (int x : {1, 2, W - 3, W - 2})
            EXPECT_EQ(image.pixel(x, y), rgb(kColor)) << x << "," << y;
    for (int x = 1; x < W - 1; ++x)
        for (int y : {H - 3, H - 2})
            EXPECT_EQ(image.pixel(x, y), rgb(kColor)) << x << "," << y;
    // The inside is left to the panel.
    EXPECT_EQ(image.pixel(50, 40), kSentinel);
}

TEST(SkinFormBorder, MacOsTopRowsContinueTheTitleImages) {
    const int W = 120, H = 90;
    const QImage image = paint(macInput(W, H));
    for (int y = 0; y < 3; ++y) {
        // Top strip: lined up with the title bar, which draws the left image
        // from the window's corner and the right one against its right edge.
        for (int x = 2; x < 10; ++x)
            EXPECT_EQ(image.pixel(x, y), qRgb(1, x, y)) << x << "," << y;
        for (int x = 10; x < W - 12; ++x)
            EXPECT_EQ(image.pixel(x, y), qRgb(3, 0, y)) << x << "," << y;
        for (int x = W - 12; x < W - 3; ++x)
            EXPECT_EQ(image.pixel(x, y), qRgb(2, x - (W - 12), y)) << x << "," << y;
    }
    // Side columns beside the title bar: the left image's first column one
    // border width in, the right image's last two columns.
    for (int y = 3; y < 23; ++y) {
        EXPECT_EQ(image.pixel(1, y), qRgb(1, 0, y)) << y;
        EXPECT_EQ(image.pixel(2, y), qRgb(1, 1, y)) << y;
        EXPECT_EQ(image.pixel(W - 3, y), qRgb(2, 10, y)) << y;
        EXPECT_EQ(image.pixel(W - 2, y), qRgb(2, 11, y)) << y;
    }
}

TEST(SkinFormBorder, HiddenTitleBarGivesABorderLineOnTopAndTheFormColourBelowIt) {
    const int W = 80, H = 50;
    // Wide borders too: the top strip is painted whatever the border width.
    for (int bw : {1, 4}) {
        SCOPED_TRACE(bw);
        SkinFormBorder::Input in = macInput(W, H);
        in.titleBarVisible = false;
        in.borderWidth = bw;
        const QImage image = paint(in);
        for (int x = 0; x < W; ++x)
            EXPECT_EQ(image.pixel(x, 0), rgb(kBorder)) << x;
        for (int x = bw; x < W - bw; ++x)
            for (int y : {1, 2})
                EXPECT_EQ(image.pixel(x, y), rgb(kColor)) << x << "," << y;
        if (bw == 1) {
            for (int y = 1; y < H - 1; ++y) {
                EXPECT_EQ(image.pixel(1, y), rgb(kColor)) << y;
                EXPECT_EQ(image.pixel(W - 2, y), rgb(kColor)) << y;
            }
        } else {
            EXPECT_EQ(image.pixel(bw, 20), kSentinel); // no Color ring beside wide borders
        }
    }
}

TEST(SkinFormBorder, GlassCornerElevenDrawsMirroredArcsAndNoOtherCornerDoes) {
    const int W = 100, H = 60;
    auto arcPixels = [&](int corner, int borderWidth) {
        SkinFormBorder::Input in = macInput(W, H);
        in.borderColor = 0x000000FF; // red: no title image has it
        in.roundCorner = corner;
        in.borderWidth = borderWidth;
        const QImage image = paint(in);
        std::vector<QPoint> found;
        for (int y = 0; y < 22; ++y)
            for (int x = 3; x < W - 3; ++x)
                if (image.pixel(x, y) == qRgb(255, 0, 0))
                    found.push_back(QPoint(x, y));
        return found;
    };
    const std::vector<QPoint> arcs = arcPixels(11, 1);
    ASSERT_FALSE(arcs.empty());
    // On the circles of radius 11 round (W - 10, 10) and its mirror (10, 10):
    // the boxes (W - 21, -1)-(W + 1, 21) and (-1, -1)-(21, 21).
    std::set<int> rightRows;
    for (const QPoint& p : arcs) {
        const bool right = p.x() >= W / 2;
        const double cx = right ? W - 10 : 10, cy = 10;
        const double d = std::hypot(p.x() + 0.5 - cx, p.y() + 0.5 - cy);
        EXPECT_NEAR(d, 11, 1.5) << p.x() << "," << p.y();
        EXPECT_LE(p.y(), 10) << "upper quarters only";
        if (right)
            rightRows.insert(p.y());
        EXPECT_NE(std::find(arcs.begin(), arcs.end(), QPoint(W - 1 - p.x(), p.y())), arcs.end());
    }
    // Unbroken down from the top row until the arc leaves the searched columns.
    for (int y = 0; y < 2; ++y)
        EXPECT_TRUE(rightRows.count(y)) << "no arc pixel in row " << y;
    EXPECT_TRUE(arcPixels(13, 1).empty());
    EXPECT_TRUE(arcPixels(11, 2).empty());
}

TEST(SkinFormBorder, WideBordersPaintOnlyTheBorderStrips) {
    SkinFormBorder::Input in = macInput(60, 40);
    in.borderWidth = 4;
    const QImage image = paint(in);
    EXPECT_EQ(image.pixel(3, 20), rgb(kBorder));
    EXPECT_EQ(image.pixel(4, 20), kSentinel);
    EXPECT_EQ(image.pixel(30, 0), kSentinel); // no title images in the top strip
    EXPECT_EQ(image.pixel(30, 36), rgb(kBorder));
}

TEST(SkinFormBorder, ThemeSideImagesReplaceTheRing) {
    SkinFormBorder::Input in = macInput(80, 60);
    in.sideImage = coded(5, 4, 7);
    in.sideImageTurned = coded(5, 4, 8);
    in.bottomImage = QImage();
    const QImage image = paint(in);
    // Stretched down the sides below the title bar, Color lines inside them.
    EXPECT_EQ(qRed(image.pixel(0, 40)), 7);
    EXPECT_EQ(qRed(image.pixel(79, 40)), 8);
    EXPECT_EQ(image.pixel(5, 40), rgb(kColor));
    EXPECT_EQ(image.pixel(74, 40), rgb(kColor));
    // And a Color line along the bottom, between them.
    for (int x = 6; x < 74; ++x)
        EXPECT_EQ(image.pixel(x, 59), rgb(kColor)) << x;
    // The panel starts inside the Color lines: w + 1 at the sides, like the
    // bottom's h + 1.
    EXPECT_EQ(SkinFormBorder::ClientMargins(5, 0), QMargins(6, 3, 6, 1));
    EXPECT_EQ(SkinFormBorder::ClientMargins(5, 9), QMargins(6, 3, 6, 10));
    EXPECT_EQ(SkinFormBorder::ClientMargins(0, 9), QMargins(3, 3, 3, 3));

    // With the title bar hidden, the top strip between the images is the
    // window's own colour, not the panel's; while a menu bar exists, shown or
    // not, it is the menu bar's.
    in.titleBarVisible = false;
    in.formColor = 0x00102030;
    in.menuBarColor = 0x00405060;
    EXPECT_EQ(paint(in).pixel(40, 1), rgb(0x00102030));
    in.menuBarExists = true;
    in.menuBarVisible = false;
    EXPECT_EQ(paint(in).pixel(40, 1), rgb(0x00405060));
}
