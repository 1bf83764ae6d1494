#include "skin/draw/SkinPublic.h"
#include "skin/theme/TskColor.h"

#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// Each pixel names its own coordinates, so a drawn pixel tells where it came from.
QImage coordinateImage(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x, y, 0x40));
    return image;
}

QPoint sourceOf(const QImage& canvas, int x, int y) {
    const QRgb c = canvas.pixel(x, y);
    return QPoint(qRed(c), qGreen(c));
}

QImage blankCanvas(int w, int h, QRgb fill = qRgb(0, 200, 0)) {
    QImage canvas(w, h, QImage::Format_RGB32);
    canvas.fill(fill);
    return canvas;
}

} // namespace

TEST(SkinPublic, ExtractFrameCutsTheFrameColumns) {
    EXPECT_EQ(FrameRect(QSize(231, 27), 3, 3), QRect(154, 0, 77, 27));
    EXPECT_EQ(FrameRect(QSize(54, 21), 3, 2), QRect(18, 0, 18, 21));
    const QImage strip = coordinateImage(231, 27);
    QImage frame;
    ExtractFrame(strip, frame, 3, 3);
    ASSERT_EQ(frame.size(), QSize(77, 27));
    EXPECT_EQ(sourceOf(frame, 0, 0), QPoint(154, 0));
    EXPECT_EQ(sourceOf(frame, 76, 26), QPoint(230, 26));
    // The width that does not divide evenly is dropped at the right.
    ExtractFrame(coordinateImage(10, 2), frame, 3, 3);
    EXPECT_EQ(frame.size(), QSize(3, 2));
    EXPECT_EQ(sourceOf(frame, 0, 0), QPoint(6, 0));
    QImage dest(4, 4, QImage::Format_RGB32);
    ExtractFrame(QImage(), dest, 3, 1);
    EXPECT_TRUE(dest.isNull());
}

TEST(SkinPublic, KeepCornersPiecesOf84x23Into100x30) {
    const auto pieces = KeepCornersPieces(QSize(84, 23), QRect(0, 0, 100, 30));
    ASSERT_EQ(pieces.size(), 9u);
    auto expect = [&](size_t i, QRect src, QRect target, bool corner) {
        SCOPED_TRACE(i);
        EXPECT_EQ(pieces[i].source, src);
        EXPECT_EQ(pieces[i].target, target);
        EXPECT_EQ(pieces[i].corner, corner);
    };
    expect(0, RectLTRB(0, 0, 42, 11), RectLTRB(0, 0, 42, 11), true);       // TL
    expect(1, RectLTRB(0, 13, 42, 23), RectLTRB(0, 20, 42, 30), true);     // BL
    expect(2, RectLTRB(0, 11, 42, 12), RectLTRB(0, 11, 42, 20), false);    // left edge
    expect(3, RectLTRB(43, 0, 84, 11), RectLTRB(59, 0, 100, 11), true);    // TR
    expect(4, RectLTRB(43, 13, 84, 23), RectLTRB(59, 20, 100, 30), true);  // BR
    expect(5, RectLTRB(43, 12, 84, 13), RectLTRB(59, 11, 100, 20), false); // right edge
    expect(6, RectLTRB(42, 0, 43, 11), RectLTRB(42, 0, 59, 11), false);    // top edge
    expect(7, RectLTRB(42, 11, 43, 12), RectLTRB(42, 11, 59, 19), false);  // centre
    expect(8, RectLTRB(42, 12, 43, 23), RectLTRB(41, 19, 59, 30), false);  // bottom edge
}

TEST(SkinPublic, KeepCornersPiecesIntoASmallRectangle) {
    const auto pieces = KeepCornersPieces(QSize(84, 23), QRect(0, 0, 20, 10));
    std::vector<std::pair<QRect, QRect>> got;
    for (const auto& p : pieces)
        got.emplace_back(p.source, p.target);
    const std::vector<std::pair<QRect, QRect>> want = {
        {RectLTRB(0, 0, 10, 5), RectLTRB(0, 0, 10, 5)},      // TL
        {RectLTRB(0, 19, 10, 23), RectLTRB(0, 6, 10, 10)},   // BL
        {RectLTRB(0, 11, 10, 12), RectLTRB(0, 5, 10, 6)},    // left edge
        {RectLTRB(75, 0, 84, 5), RectLTRB(11, 0, 20, 5)},    // TR
        {RectLTRB(75, 19, 84, 23), RectLTRB(11, 6, 20, 10)}, // BR
        {RectLTRB(75, 12, 84, 13), RectLTRB(11, 5, 20, 6)},  // right edge
        {RectLTRB(42, 0, 43, 5), RectLTRB(10, 0, 11, 5)},    // top edge
        // the centre (10, 5, 11, 5) has no height and is skipped
        {RectLTRB(42, 18, 43, 23), RectLTRB(9, 5, 11, 10)}, // bottom edge
    };
    EXPECT_EQ(got, want);
    // Rectangles smaller than the corners and sources too small to have
    // corners leave out the empty pieces; no piece reaches outside its source.
    for (QSize src : {QSize(84, 23), QSize(1, 1), QSize(2, 3), QSize(3, 2)}) {
        for (QSize area : {QSize(1, 1), QSize(2, 2), QSize(50, 50), QSize(0, 7)}) {
            for (const auto& p : KeepCornersPieces(src, QRect(QPoint(0, 0), area))) {
                EXPECT_GT(p.target.width(), 0);
                EXPECT_GT(p.target.height(), 0);
                EXPECT_TRUE(QRect(QPoint(0, 0), src).contains(p.source));
            }
        }
    }
}

TEST(SkinPublic, DrawStretchedKeepCornersPixels) {
    const QImage source = coordinateImage(84, 23);
    QImage canvas = blankCanvas(100, 30);
    QPainter p(&canvas);
    DrawStretchedKeepCorners(source, p, QRect(0, 0, 100, 30), false);
    p.end();
    EXPECT_EQ(sourceOf(canvas, 0, 0), QPoint(0, 0));
    EXPECT_EQ(sourceOf(canvas, 41, 10), QPoint(41, 10));
    EXPECT_EQ(sourceOf(canvas, 0, 20), QPoint(0, 13));
    EXPECT_EQ(sourceOf(canvas, 59, 0), QPoint(43, 0));
    EXPECT_EQ(sourceOf(canvas, 99, 29), QPoint(83, 22));
    EXPECT_EQ(sourceOf(canvas, 0, 15), QPoint(0, 11));   // left edge
    EXPECT_EQ(sourceOf(canvas, 50, 5), QPoint(42, 5));   // top edge
    EXPECT_EQ(sourceOf(canvas, 50, 15), QPoint(42, 11)); // centre
    EXPECT_EQ(sourceOf(canvas, 80, 15), QPoint(64, 12)); // right edge
    // The bottom edge, drawn last, overlaps BL by a column and a row.
    EXPECT_EQ(sourceOf(canvas, 41, 19), QPoint(42, 12));
    EXPECT_EQ(sourceOf(canvas, 41, 29), QPoint(42, 22));
}

TEST(SkinPublic, KeyColourIsDroppedFromEdgesAlwaysAndCornersWhenAsked) {
    QImage source(84, 23, QImage::Format_RGB32);
    source.fill(qRgb(255, 0, 255));
    const QRgb green = qRgb(0, 200, 0);
    for (bool transparent : {false, true}) {
        QImage canvas = blankCanvas(100, 30, green);
        QPainter p(&canvas);
        DrawStretchedKeepCorners(source, p, QRect(0, 0, 100, 30), transparent);
        p.end();
        EXPECT_EQ(canvas.pixel(50, 15), green); // centre
        EXPECT_EQ(canvas.pixel(50, 2), green);  // top edge
        EXPECT_EQ(canvas.pixel(0, 0), transparent ? green : qRgb(255, 0, 255));
        EXPECT_EQ(canvas.pixel(99, 29), transparent ? green : qRgb(255, 0, 255));
    }
}

TEST(SkinPublic, DrawThreePartHorizontalMasksEndsAndStretchesTheMiddle) {
    QImage source(9, 2, QImage::Format_RGB32);
    source.fill(qRgb(10, 20, 30));
    source.setPixel(0, 1, qRgb(1, 2, 3)); // lower-left: the corner colour
    for (int x = 3; x < 6; ++x)
        source.setPixel(x, 0, qRgb(100, 100, 100));
    QImage canvas = blankCanvas(20, 2);
    QPainter p(&canvas);
    DrawThreePartHorizontal(source, p, QRect(0, 0, 20, 2), true, false);
    p.end();
    EXPECT_EQ(canvas.pixel(0, 1), qRgb(0, 200, 0)); // corner colour left out
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(canvas.pixel(10, 0), qRgb(100, 100, 100));
    EXPECT_EQ(canvas.pixel(19, 1), qRgb(10, 20, 30));
}

TEST(SkinPublic, TileDrawStartsAtZeroAndCoversTheRectangle) {
    const auto positions = TilePositions(QSize(8, 8), QSize(20, 20));
    EXPECT_EQ(positions.size(), 16u);
    for (const QPoint& pos : positions) {
        EXPECT_EQ(pos.x() % 8, 0);
        EXPECT_LE(pos.x(), 24);
        EXPECT_LE(pos.y(), 24);
    }
    EXPECT_TRUE(TilePositions(QSize(0, 8), QSize(20, 20)).empty());
    QImage tile = coordinateImage(8, 8);
    QImage canvas = blankCanvas(20, 20);
    QPainter p(&canvas);
    TileDraw(p, tile, QRect(5, 5, 20, 20));
    p.end();
    EXPECT_EQ(sourceOf(canvas, 0, 0), QPoint(0, 0));
    EXPECT_EQ(sourceOf(canvas, 19, 17), QPoint(3, 1));
}

TEST(SkinPublic, MenuSeparatorLeavesItsEndPoint) {
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

TEST(SkinPublic, FramesFillsAndTheMenuWindowBorder) {
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

TEST(SkinPublic, InRectIncludesAllFourEdges) {
    EXPECT_TRUE(InRect(10, 10, RectLTRB(0, 0, 10, 10)));
    EXPECT_TRUE(InRect(0, 0, RectLTRB(0, 0, 10, 10)));
    EXPECT_FALSE(InRect(11, 10, RectLTRB(0, 0, 10, 10)));
    EXPECT_FALSE(InRect(QPoint(5, -1), RectLTRB(0, 0, 10, 10)));
}

TEST(SkinPublic, RotateBitmap180MovesEveryPixel) {
    QImage image = coordinateImage(5, 3);
    RotateBitmap180(image);
    EXPECT_EQ(sourceOf(image, 0, 0), QPoint(4, 2));
    EXPECT_EQ(sourceOf(image, 4, 2), QPoint(0, 0));
    EXPECT_EQ(sourceOf(image, 1, 2), QPoint(3, 0));
}

TEST(SkinPublic, PropertiesByNameIgnoreCase) {
    QWidget w;
    EXPECT_TRUE(HasProperty(&w, "WINDOWTITLE"));
    EXPECT_FALSE(HasProperty(&w, "NoSuchThing"));
    EXPECT_FALSE(HasProperty(nullptr, "enabled"));
    EXPECT_TRUE(SetPropertyByName(&w, "windowtitle", QStringLiteral("x")));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("x"));
    EXPECT_FALSE(SetPropertyByName(&w, "NoSuchThing", 1));
}

TEST(SkinPublic, SetControlBoundsTakesTheExclusiveEdges) {
    QWidget parent;
    QWidget child(&parent);
    SetControlBounds(&child, RectLTRB(3, 4, 30, 24));
    EXPECT_EQ(child.geometry(), QRect(3, 4, 27, 20));
}

TEST(SkinPublic, ColoursAreRedInTheLowByte) {
    EXPECT_EQ(TskColor::toQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(TskColor::toQColor(0xC47339), QColor(0x39, 0x73, 0xC4));
    EXPECT_EQ(TskColor::fromQColor(QColor(0x39, 0x73, 0xC4)), 0xC47339);
    EXPECT_TRUE(TskColor::isSystemColor(TskColor::MenuText));
    EXPECT_FALSE(TskColor::isSystemColor(0x00FFFFFF));
    EXPECT_TRUE(TskColor::toQColor(TskColor::MenuText).isValid());
    EXPECT_EQ(TskColor::toQColor(-1), QColor(Qt::black)); // a missing theme value
}

namespace {

// Paints a pattern that encodes its own coordinates.
class PatternWidget : public QWidget {
public:
    using QWidget::QWidget;
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, coordinateImage(width(), height()));
    }
};

// Shows its parent through, as a transparent skinned panel does.
class SeeThroughWidget : public QWidget {
public:
    using QWidget::QWidget;
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        PaintParentBackground(p, this);
    }
};

QImage paintBehind(const QWidget& control) {
    QImage buffer(control.size(), QImage::Format_RGB32);
    buffer.fill(qRgb(0, 0, 0));
    QPainter p(&buffer);
    PaintParentBackground(p, &control);
    return buffer;
}

} // namespace

TEST(SkinPublic, PaintParentBackgroundShowsWhatLiesBehind) {
    PatternWidget form;
    form.resize(100, 80);
    QWidget control(&form);
    control.setGeometry(10, 5, 20, 10);
    // A sibling covering the control is not part of the parent's own paint.
    QWidget sibling(&form);
    sibling.setGeometry(0, 0, 100, 80);
    sibling.setAutoFillBackground(true);
    QPalette red;
    red.setColor(QPalette::Window, Qt::red);
    sibling.setPalette(red);
    sibling.lower();
    const QImage behind = paintBehind(control);
    EXPECT_EQ(sourceOf(behind, 0, 0), QPoint(10, 5));
    EXPECT_EQ(sourceOf(behind, 19, 9), QPoint(29, 14));

    // A transparent control on a transparent panel: what lies behind both.
    SeeThroughWidget panel(&form);
    panel.setGeometry(20, 10, 50, 40);
    QWidget onPanel(&panel);
    onPanel.setGeometry(3, 4, 10, 10);
    const QImage deep = paintBehind(onPanel);
    EXPECT_EQ(sourceOf(deep, 0, 0), QPoint(23, 14));
    EXPECT_EQ(sourceOf(deep, 9, 9), QPoint(32, 23));

    QWidget orphan;
    orphan.resize(4, 4);
    EXPECT_EQ(paintBehind(orphan).pixel(0, 0), qRgb(0, 0, 0));
}
