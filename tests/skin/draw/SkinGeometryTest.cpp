#include "skin/draw/SkinGeometry.h"

#include <QWidget>
#include <gtest/gtest.h>

TEST(SkinGeometry, KeepCornersPiecesOf84x23Into100x30) {
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

TEST(SkinGeometry, KeepCornersPiecesIntoASmallRectangle) {
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

TEST(SkinGeometry, InRectIncludesAllFourEdges) {
    EXPECT_TRUE(InRect(10, 10, RectLTRB(0, 0, 10, 10)));
    EXPECT_TRUE(InRect(0, 0, RectLTRB(0, 0, 10, 10)));
    EXPECT_FALSE(InRect(11, 10, RectLTRB(0, 0, 10, 10)));
    EXPECT_FALSE(InRect(QPoint(5, -1), RectLTRB(0, 0, 10, 10)));
}

TEST(SkinGeometry, SetControlBoundsTakesTheExclusiveEdges) {
    QWidget parent;
    QWidget child(&parent);
    SetControlBounds(&child, RectLTRB(3, 4, 30, 24));
    EXPECT_EQ(child.geometry(), QRect(3, 4, 27, 20));
}
