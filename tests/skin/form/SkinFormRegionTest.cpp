#include "skin/form/SkinFormRegion.h"

#include <gtest/gtest.h>

namespace {

using Row = SkinFormRegion::Row;

// Left inset of every row (the right side is checked to mirror it).
std::vector<int> insets(const QRegion& region, int width, int height) {
    const std::vector<Row> rows = SkinFormRegion::RowsOf(region);
    EXPECT_EQ(int(rows.size()), height);
    std::vector<int> result;
    for (int y = 0; y < int(rows.size()); ++y) {
        EXPECT_EQ(rows[size_t(y)].y, y);
        EXPECT_EQ(width - rows[size_t(y)].right, rows[size_t(y)].left) << "row " << y;
        result.push_back(rows[size_t(y)].left);
    }
    return result;
}

} // namespace

TEST(SkinFormRegion, RoundRectLeavesOutTheLastRowAndColumnAndCutsCornersByTheEllipse) {
    // A 4-pixel ellipse takes exactly one pixel off each corner.
    const std::vector<Row> rows = SkinFormRegion::RoundRectRows(0, 0, 11, 11, 4, 4);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows.front(), (Row{0, 1, 9}));
    for (int y = 1; y <= 8; ++y)
        EXPECT_EQ(rows[size_t(y)], (Row{y, 0, 10})) << y;
    EXPECT_EQ(rows.back(), (Row{9, 1, 9}));
    // Corners under 2 pixels, negative sizes and sizes beyond the box.
    EXPECT_EQ(SkinFormRegion::RoundRectRows(0, 0, 11, 11, 1, 1).front(), (Row{0, 0, 10}));
    EXPECT_EQ(SkinFormRegion::RoundRectRows(0, 0, 11, 11, -4, -4),
              SkinFormRegion::RoundRectRows(0, 0, 11, 11, 4, 4));
    EXPECT_EQ(SkinFormRegion::RoundRectRows(5, 5, 2, 2, 0, 0).size(), 2u);
    EXPECT_FALSE(SkinFormRegion::RoundRectRows(0, 0, 11, 11, 500, 500).empty());
}

TEST(SkinFormRegion, SquareCornersCoverTheWholeWindow) {
    for (int corner : {0, 1, -1}) {
        const QRegion region = SkinFormRegion::FormRegion(120, 80, corner, corner);
        EXPECT_EQ(region, QRegion(0, 0, 120, 80)) << corner;
    }
}

TEST(SkinFormRegion, GlassAndXpCornersRoundOnlyTheTop) {
    // BlueGlass's 11 and WinXP's 13, row by row, as the classic region gives them.
    struct Case {
        int corner;
        std::vector<int> top;
    };
    for (const Case& c : {Case{11, {3, 2, 1}}, Case{13, {4, 3, 2, 1}}}) {
        const std::vector<int> rows =
            insets(SkinFormRegion::FormRegion(100, 101, c.corner, 0), 100, 101);
        for (size_t y = 0; y < rows.size(); ++y) {
            const int expected = y < c.top.size() ? c.top[y] : 0;
            EXPECT_EQ(rows[y], expected) << "corner " << c.corner << " row " << y;
        }
    }
}

TEST(SkinFormRegion, BottomCornersMirrorTheTopOnesAndMinusOneMeansNone) {
    const std::vector<int> rows = insets(SkinFormRegion::FormRegion(100, 100, 13, 13), 100, 100);
    for (int y = 0; y < 100; ++y)
        EXPECT_EQ(rows[size_t(y)], rows[size_t(99 - y)]) << y;
    EXPECT_EQ(rows.back(), 4);
    EXPECT_EQ(SkinFormRegion::FormRegion(100, 100, 11, -1),
              SkinFormRegion::FormRegion(100, 100, 11, 0));
}

TEST(SkinFormRegion, OddHeightsSplitAtHalfWithoutGapOrOverlap) {
    // 101 rows: the top half is rows 0..49, the bottom one 50..100; the
    // middle rows stay square on both sides of the seam.
    const std::vector<int> rows = insets(SkinFormRegion::FormRegion(60, 101, 11, 11), 60, 101);
    EXPECT_EQ(rows[0], 3);
    EXPECT_EQ(rows[49], 0);
    EXPECT_EQ(rows[50], 0);
    EXPECT_EQ(rows[100], 3);
    // Tiny windows: corners larger than the halves still give a sane shape.
    for (int h : {1, 2, 3, 7}) {
        const QRegion region = SkinFormRegion::FormRegion(30, h, 13, 13);
        EXPECT_TRUE(QRegion(0, 0, 30, h).contains(region.boundingRect())) << h;
    }
    EXPECT_TRUE(SkinFormRegion::FormRegion(0, 10, 11, 0).isEmpty());
}

TEST(SkinFormRegion, QuarterOutlineRunsFromTheMiddleRowToTheBottomMiddle) {
    const std::vector<QPoint> points = SkinFormRegion::QuarterOutline(22, 22);
    ASSERT_FALSE(points.empty());
    EXPECT_EQ(points.front(), QPoint(21, 11));
    EXPECT_EQ(points.back().x(), 11);
    EXPECT_EQ(points.back().y(), 21);
    for (size_t i = 1; i < points.size(); ++i) {
        // Each step moves one pixel left, down or both: a connected outline.
        const QPoint step = points[i - 1] - points[i];
        EXPECT_GE(step.x(), 0);
        EXPECT_LE(step.x(), 1);
        EXPECT_GE(-step.y(), 0);
        EXPECT_LE(-step.y(), 1);
    }
}
