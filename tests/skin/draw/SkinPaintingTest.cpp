#include "skin/draw/SkinPainting.h"
#include "skin/draw/TskColor.h"

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

TEST(SkinPainting, ExtractFrameCutsTheFrameColumns) {
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

TEST(SkinPainting, DrawStretchedKeepCornersPixels) {
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

TEST(SkinPainting, KeyColourIsDroppedFromEdgesAlwaysAndCornersWhenAsked) {
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

TEST(SkinPainting, DrawThreePartHorizontalMasksEndsAndStretchesTheMiddle) {
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

TEST(SkinPainting, TileDrawStartsAtZeroAndCoversTheRectangle) {
    // Copies at x and y in {0, 8, 16, 24}: 16 copies, up to 32.
    EXPECT_EQ(TiledArea(QSize(8, 8), QSize(20, 20)), QRect(0, 0, 32, 32));
    EXPECT_EQ(TiledArea(QSize(16, 16), QSize(40, 20)), QRect(0, 0, 64, 48));
    EXPECT_TRUE(TiledArea(QSize(0, 8), QSize(20, 20)).isEmpty());
    QImage tile = coordinateImage(8, 8);
    QImage canvas = blankCanvas(20, 20);
    QPainter p(&canvas);
    TileDraw(p, tile, QRect(5, 5, 20, 20));
    p.end();
    EXPECT_EQ(sourceOf(canvas, 0, 0), QPoint(0, 0));
    EXPECT_EQ(sourceOf(canvas, 19, 17), QPoint(3, 1));
    // On a larger canvas the copies stop after the last column and row.
    QImage wide = blankCanvas(40, 40);
    QPainter w(&wide);
    TileDraw(w, tile, QRect(0, 0, 12, 12));
    w.end();
    EXPECT_EQ(sourceOf(wide, 23, 23), QPoint(7, 7));
    EXPECT_EQ(wide.pixel(24, 5), blankCanvas(1, 1).pixel(0, 0));
    EXPECT_EQ(wide.pixel(5, 24), blankCanvas(1, 1).pixel(0, 0));
}

TEST(SkinPainting, RotateBitmap180MovesEveryPixel) {
    QImage image = coordinateImage(5, 3);
    RotateBitmap180(image);
    EXPECT_EQ(sourceOf(image, 0, 0), QPoint(4, 2));
    EXPECT_EQ(sourceOf(image, 4, 2), QPoint(0, 0));
    EXPECT_EQ(sourceOf(image, 1, 2), QPoint(3, 0));
}

TEST(SkinPainting, ColoursAreRedInTheLowByte) {
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

TEST(SkinPainting, PaintParentBackgroundShowsWhatLiesBehind) {
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

TEST(SkinPainting, FrameRectColorDrawsTheRectanglesOutermostPixels) {
    // Right and bottom are exclusive: the frame's lines are the rectangle's
    // first and last columns and rows, nothing outside and nothing within.
    for (const QRect& rect : {QRect(2, 1, 6, 5), QRect(3, 3, 2, 2), QRect(1, 2, 7, 1)}) {
        QImage canvas = blankCanvas(10, 8);
        {
            QPainter p(&canvas);
            FrameRectColor(p, rect, TskColor::fromRgb(255, 0, 0));
        }
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x) {
                const bool edge = rect.contains(x, y) && (x == rect.left() || x == rect.right() ||
                                                          y == rect.top() || y == rect.bottom());
                EXPECT_EQ(canvas.pixel(x, y), edge ? qRgb(255, 0, 0) : qRgb(0, 200, 0))
                    << x << "," << y << " of " << rect.x() << "," << rect.y() << " " << rect.width()
                    << "x" << rect.height();
            }
    }
}
