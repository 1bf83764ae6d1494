#pragma once

// The window shape of a skinned form: rounded top corners and, optionally,
// rounded bottom corners, built from round-rectangle regions that match the
// classic desktop's scanline by scanline, so the corner pixels come out the
// same on every toolkit. Pure geometry; the form hands the result to
// QWidget::setMask.

#include <QPoint>
#include <QRegion>
#include <vector>

class SkinFormRegion {
public:
    // One scanline of a region: the pixels [left, right) of row y.
    struct Row {
        int y;
        int left;
        int right;
        bool operator==(const Row&) const = default;
    };

    // The round-rectangle region for the box (left, top)-(right, bottom):
    // as the classic call, it covers [left, right - 1) x [top, bottom - 1)
    // with corners cut by an ellipse of ellipseWidth x ellipseHeight
    // (negative sizes count as their magnitude, sizes are capped by the box,
    // and a size under 2 gives a plain rectangle). Rows from the top.
    static std::vector<Row> RoundRectRows(int left, int top, int right, int bottom,
                                          int ellipseWidth, int ellipseHeight);
    static QRegion RoundRectRegion(int left, int top, int right, int bottom, int ellipseWidth,
                                   int ellipseHeight);

    // The outline of an ellipse in a Width x Height box, its lower-right
    // quarter from the middle row's right end towards the bottom middle,
    // box coordinates with y down. The arcs of the frame are drawn from it.
    static std::vector<QPoint> QuarterOutline(int width, int height);

    // The whole window region for a W x H form with top corner size Corner
    // and bottom corner size CornerBottom (-1 counts as 0): rounded top half
    // and bottom half joined, their inner corners kept square.
    static QRegion FormRegion(int width, int height, int corner, int cornerBottom);

    // The rows of a region, merged per row, for tests and inspection.
    static std::vector<Row> RowsOf(const QRegion& region);
};
