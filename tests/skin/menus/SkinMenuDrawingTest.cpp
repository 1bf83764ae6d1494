#include "skin/menus/SkinMenuDrawing.h"
#include "skin/draw/SkinPainting.h"
#include "skin/draw/TskColor.h"
#include "skin/theme/SkinThemes.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

QImage blankCanvas(int w, int h, QRgb fill) {
    QImage canvas(w, h, QImage::Format_RGB32);
    canvas.fill(fill);
    return canvas;
}

} // namespace

TEST(SkinMenuDrawing, MenuSeparatorLeavesItsEndPoint) {
    EXPECT_EQ(MenuSeparatorLine(QRect(0, 0, 100, 8), 20, true), QLine(24, 2, 98, 2));
    EXPECT_EQ(MenuSeparatorLine(QRect(0, 0, 100, 8), 20, false), QLine(2, 2, 76, 2));
    QImage canvas = blankCanvas(100, 8, qRgb(255, 255, 255));
    QPainter p(&canvas);
    DrawMenuSeparator(p, QRect(0, 0, 100, 8), 0x0000FF, 20, true); // red
    p.end();
    EXPECT_EQ(canvas.pixel(23, 2), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(24, 2), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(97, 2), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(98, 2), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(50, 1), qRgb(255, 255, 255));
}

TEST(SkinMenuDrawing, FramesFillsAndTheMenuWindowBorder) {
    QImage canvas = blankCanvas(10, 10, qRgb(9, 9, 9));
    QPainter p(&canvas);
    FrameRectColor(p, RectLTRB(1, 1, 9, 9), TskColor::fromRgb(255, 0, 0));
    p.end();
    EXPECT_EQ(canvas.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(8, 8), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(9, 9), qRgb(9, 9, 9));
    EXPECT_EQ(canvas.pixel(4, 4), qRgb(9, 9, 9));

    QImage menu = blankCanvas(20, 12, qRgb(9, 9, 9));
    QPainter mp(&menu);
    DrawMenuWindowBorder(mp, QRect(0, 0, 20, 12), TskColor::fromRgb(0, 0, 255),
                         TskColor::fromRgb(0, 255, 0));
    mp.end();
    EXPECT_EQ(menu.pixel(0, 5), qRgb(0, 0, 255));     // outer frame, left side
    EXPECT_EQ(menu.pixel(1, 5), qRgb(255, 255, 255)); // inner white frame
    EXPECT_EQ(menu.pixel(5, 11), qRgb(0, 255, 0));    // line along the bottom
    EXPECT_EQ(menu.pixel(19, 5), qRgb(0, 255, 0));    // and up the right side
    EXPECT_EQ(menu.pixel(5, 0), qRgb(0, 255, 0));     // and back along the top
    EXPECT_EQ(menu.pixel(0, 0), qRgb(9, 9, 9));       // whose end point is not drawn
}

TEST(SkinMenuDrawing, MacMenuImagesAreStretchedByRepeatingTheirRows) {
    const QImage source = LoadBuiltinImage(QStringLiteral("MACOS_MENU_SELECT"));
    ASSERT_EQ(source.height(), 21);
    // Three times as high as the 20 rows it shows: every row three times over,
    // in its own colour, and nothing blended between two rows.
    QImage canvas = blankCanvas(4, 60, qRgb(9, 9, 9));
    QPainter p(&canvas);
    DrawMenuSelectImage(p, QRect(0, 0, 4, 60), TskUIStyle::MacOS);
    p.end();
    int rowsThatDiffer = 0;
    for (int y = 0; y < 20; ++y) {
        rowsThatDiffer += y > 0 && source.pixel(0, y) != source.pixel(0, y - 1);
        for (int copy = 0; copy < 3; ++copy)
            EXPECT_EQ(canvas.pixel(2, 3 * y + copy), source.pixel(0, y)) << "row " << y;
    }
    ASSERT_GT(rowsThatDiffer, 5) << "the picture has no rows to tell apart";
}
