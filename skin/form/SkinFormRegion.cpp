#include "skin/form/SkinFormRegion.h"

#include <QRect>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>

namespace {

// Steps along the lower-right quarter of an ellipse in a Width x Height box
// with the integer error walk the classic rasterizer uses (Zingl's method).
// X counts columns in from the middle row's right end, Y rows down from the
// middle; Continue(x, y) is asked before every step, Moved(x, y, rowChanged)
// after it.
template <class Continue, class Moved>
void walkQuarter(int width, int height, Continue keepGoing, Moved moved) {
    const std::int64_t a = width - 1;
    const std::int64_t b = height - 1;
    const std::int64_t stepX = 8 * b * b;
    const std::int64_t stepY = 8 * a * a;
    std::int64_t dx = 4 * b * b * (1 - a);
    std::int64_t dy = 4 * a * a * (1 + b % 2);
    std::int64_t err = dx + dy + a * a * (b % 2);
    int x = 0;
    int y = height / 2;
    while (keepGoing(x, y)) {
        const std::int64_t twice = 2 * err;
        bool rowChanged = false;
        if (twice >= dx) {
            ++x;
            dx += stepX;
            err += dx;
        }
        if (twice <= dy) {
            ++y;
            dy += stepY;
            err += dy;
            rowChanged = true;
        }
        moved(x, y, rowChanged);
    }
}

} // namespace

std::vector<SkinFormRegion::Row> SkinFormRegion::RoundRectRows(int left, int top, int right,
                                                               int bottom, int ellipseWidth,
                                                               int ellipseHeight) {
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    // The region leaves out the last column and row of the box.
    --right;
    --bottom;
    std::vector<Row> rows;
    if (right <= left || bottom <= top)
        return rows;
    const int ew = std::min(right - left, std::abs(ellipseWidth));
    const int eh = std::min(bottom - top, std::abs(ellipseHeight));
    if (ew < 2 || eh < 2) {
        for (int y = top; y < bottom; ++y)
            rows.push_back({y, left, right});
        return rows;
    }

    // Inset of each ellipse row in its lower half: rows eh/2 .. eh-1.
    std::vector<int> inset(size_t(eh), 0);
    walkQuarter(
        ew, eh, [ew](int x, int) { return x <= ew / 2; },
        [&inset](int x, int y, bool rowChanged) {
            if (rowChanged && y < int(inset.size()))
                inset[size_t(y)] = x;
        });
    // Rows the walk never reached keep the last inset it gave.
    for (int y = eh / 2 + 1; y < eh; ++y)
        if (inset[size_t(y)] == 0)
            inset[size_t(y)] = inset[size_t(y - 1)];

    const int half = eh / 2;
    const int b = eh - 1;
    // Top corner rows mirror the bottom ones.
    for (int i = 0; i < half; ++i)
        rows.push_back({top + i, left + inset[size_t(b - i)], right - inset[size_t(b - i)]});
    // The middle row stretches over everything between the two corners.
    for (int y = top + half; y < bottom - eh + half + 1; ++y)
        rows.push_back({y, left, right});
    for (int i = half + 1; i < eh; ++i)
        rows.push_back({bottom - eh + i, left + inset[size_t(i)], right - inset[size_t(i)]});
    return rows;
}

QRegion SkinFormRegion::RoundRectRegion(int left, int top, int right, int bottom, int ellipseWidth,
                                        int ellipseHeight) {
    QRegion region;
    for (const Row& row : RoundRectRows(left, top, right, bottom, ellipseWidth, ellipseHeight))
        if (row.right > row.left)
            region += QRect(row.left, row.y, row.right - row.left, 1);
    return region;
}

std::vector<QPoint> SkinFormRegion::QuarterOutline(int width, int height) {
    std::vector<QPoint> points;
    if (width < 1 || height < 1)
        return points;
    walkQuarter(
        width, height,
        [&points, width](int x, int y) {
            if (width - 1 - x < width / 2)
                return false;
            points.push_back(QPoint(width - 1 - x, y));
            return true;
        },
        [](int, int, bool) {});
    return points;
}

QRegion SkinFormRegion::FormRegion(int width, int height, int corner, int cornerBottom) {
    if (width <= 0 || height <= 0)
        return QRegion();
    const int half = height / 2;
    const int r = std::max(0, corner);
    const int rb = cornerBottom == -1 ? 0 : std::max(0, cornerBottom);
    QRegion top = RoundRectRegion(0, 0, width + 1, half + 1, r, r);
    // The top half's lower corners stay square.
    top += QRect(QPoint(0, half - 2 * r), QPoint(2 * r - 1, half - 1));
    top += QRect(QPoint(width - 2 * r, half - 2 * r), QPoint(width - 1, half - 1));
    QRegion bottom = RoundRectRegion(0, half, width + 1, height + 1, rb, rb);
    bottom += QRect(QPoint(0, half), QPoint(2 * rb - 1, half + 2 * rb - 1));
    bottom += QRect(QPoint(width - 2 * rb, half), QPoint(width - 1, half + 2 * rb - 1));
    return (top + bottom) & QRegion(0, 0, width, height);
}

std::vector<SkinFormRegion::Row> SkinFormRegion::RowsOf(const QRegion& region) {
    std::map<int, std::vector<std::pair<int, int>>> spans;
    for (const QRect& r : region)
        for (int y = r.top(); y <= r.bottom(); ++y)
            spans[y].push_back({r.left(), r.left() + r.width()});
    std::vector<Row> rows;
    for (auto& [y, list] : spans) {
        std::sort(list.begin(), list.end());
        int l = list.front().first, rr = list.front().second;
        for (size_t i = 1; i < list.size(); ++i) {
            if (list[i].first <= rr) {
                rr = std::max(rr, list[i].second);
            } else {
                rows.push_back({y, l, rr});
                l = list[i].first;
                rr = list[i].second;
            }
        }
        rows.push_back({y, l, rr});
    }
    return rows;
}
