#include "skin/form/SkinFormEdges.h"

#include <QWidget>
#include <climits>
#include <gtest/gtest.h>

namespace {

const QSize kWindow(400, 300);
const QMargins kRing(3, 3, 3, 3);

Qt::Edges hit(int x, int y, bool resizable = true) {
    return SkinFormEdges::HitTest(kWindow, QPoint(x, y), kRing, resizable);
}

} // namespace

TEST(SkinFormEdges, TheRingAnswersItsEdgesAndCornersAndNothingElseDoes) {
    EXPECT_EQ(hit(0, 150), Qt::LeftEdge);
    EXPECT_EQ(hit(2, 150), Qt::LeftEdge);
    EXPECT_EQ(hit(3, 150), Qt::Edges());
    EXPECT_EQ(hit(397, 150), Qt::RightEdge);
    EXPECT_EQ(hit(396, 150), Qt::Edges());
    EXPECT_EQ(hit(200, 0), Qt::TopEdge);
    EXPECT_EQ(hit(200, 299), Qt::BottomEdge);
    EXPECT_EQ(hit(200, 150), Qt::Edges());
    // The corners reach 16 pixels along both of their edges.
    EXPECT_EQ(hit(0, 0), Qt::LeftEdge | Qt::TopEdge);
    EXPECT_EQ(hit(15, 1), Qt::LeftEdge | Qt::TopEdge);
    EXPECT_EQ(hit(16, 1), Qt::TopEdge);
    EXPECT_EQ(hit(1, 15), Qt::LeftEdge | Qt::TopEdge);
    EXPECT_EQ(hit(1, 16), Qt::LeftEdge);
    EXPECT_EQ(hit(399, 299), Qt::RightEdge | Qt::BottomEdge);
    EXPECT_EQ(hit(384, 298), Qt::RightEdge | Qt::BottomEdge);
    EXPECT_EQ(hit(399, 0), Qt::RightEdge | Qt::TopEdge);
    EXPECT_EQ(hit(0, 299), Qt::LeftEdge | Qt::BottomEdge);
    // Outside the window, and on a window that cannot be resized: nothing.
    EXPECT_EQ(hit(-1, 150), Qt::Edges());
    EXPECT_EQ(hit(400, 150), Qt::Edges());
    EXPECT_EQ(hit(0, 0, false), Qt::Edges());
    EXPECT_EQ(hit(399, 150, false), Qt::Edges());
    // A side-image theme's wider sides and deeper bottom.
    EXPECT_EQ(SkinFormEdges::HitTest(kWindow, QPoint(6, 150), QMargins(7, 3, 7, 5), true),
              Qt::LeftEdge);
    EXPECT_EQ(SkinFormEdges::HitTest(kWindow, QPoint(200, 295), QMargins(7, 3, 7, 5), true),
              Qt::BottomEdge);
}

TEST(SkinFormEdges, CursorsPointTheWaysTheEdgesMove) {
    EXPECT_EQ(SkinFormEdges::CursorFor(Qt::LeftEdge), Qt::SizeHorCursor);
    EXPECT_EQ(SkinFormEdges::CursorFor(Qt::RightEdge), Qt::SizeHorCursor);
    EXPECT_EQ(SkinFormEdges::CursorFor(Qt::TopEdge), Qt::SizeVerCursor);
    EXPECT_EQ(SkinFormEdges::CursorFor(Qt::BottomEdge), Qt::SizeVerCursor);
    EXPECT_EQ(SkinFormEdges::CursorFor(Qt::LeftEdge | Qt::TopEdge), Qt::SizeFDiagCursor);
    EXPECT_EQ(SkinFormEdges::CursorFor(Qt::RightEdge | Qt::BottomEdge), Qt::SizeFDiagCursor);
    EXPECT_EQ(SkinFormEdges::CursorFor(Qt::RightEdge | Qt::TopEdge), Qt::SizeBDiagCursor);
    EXPECT_EQ(SkinFormEdges::CursorFor(Qt::LeftEdge | Qt::BottomEdge), Qt::SizeBDiagCursor);
    EXPECT_EQ(SkinFormEdges::CursorFor(Qt::Edges()), Qt::ArrowCursor);
}

TEST(SkinFormEdges, DraggedEdgesFollowThePointerUpToTheSizeLimits) {
    const QRect start(100, 50, 400, 300);
    const QSize minimum(130, 50), maximum(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    auto resized = [&](Qt::Edges edges, QPoint delta) {
        return SkinFormEdges::Resized(start, edges, delta, minimum, maximum);
    };
    EXPECT_EQ(resized(Qt::RightEdge, {70, 9}), QRect(100, 50, 470, 300));
    EXPECT_EQ(resized(Qt::LeftEdge, {-40, 9}), QRect(60, 50, 440, 300));
    EXPECT_EQ(resized(Qt::TopEdge | Qt::LeftEdge, {10, 20}), QRect(110, 70, 390, 280));
    EXPECT_EQ(resized(Qt::BottomEdge, {5, -20}), QRect(100, 50, 400, 280));
    // The minimum stops the dragged edge; the opposite one never moves.
    EXPECT_EQ(resized(Qt::LeftEdge | Qt::TopEdge, {1000, 1000}), QRect(370, 300, 130, 50));
    EXPECT_EQ(resized(Qt::RightEdge, {-1000, 0}), QRect(100, 50, 130, 300));
    EXPECT_EQ(SkinFormEdges::Resized(start, Qt::RightEdge, {500, 0}, minimum, QSize(600, 600)),
              QRect(100, 50, 600, 300));
    // A pointer delta at the end of the integer range does not wrap.
    EXPECT_EQ(resized(Qt::RightEdge, {INT_MIN, 0}).width(), 130);
    EXPECT_EQ(resized(Qt::RightEdge, {INT_MAX, 0}).width(), QWIDGETSIZE_MAX);
    EXPECT_EQ(resized(Qt::Edges(), {50, 50}), start);
}
