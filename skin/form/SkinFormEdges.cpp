#include "skin/form/SkinFormEdges.h"

#include <algorithm>

Qt::Edges SkinFormEdges::HitTest(QSize size, QPoint point, QMargins ring, bool resizable) {
    Qt::Edges edges;
    const int x = point.x(), y = point.y(), w = size.width(), h = size.height();
    if (!resizable || x < 0 || y < 0 || x >= w || y >= h)
        return edges;
    const bool left = x < ring.left(), right = x >= w - ring.right();
    const bool top = y < ring.top(), bottom = y >= h - ring.bottom();
    if (!left && !right && !top && !bottom)
        return edges;
    // On the ring: near a corner both of its edges go.
    const int reachX = std::min(kCornerReach, w / 2), reachY = std::min(kCornerReach, h / 2);
    const bool nearLeft = x < reachX, nearRight = x >= w - reachX;
    const bool nearTop = y < reachY, nearBottom = y >= h - reachY;
    if (left || (nearLeft && (top || bottom)))
        edges |= Qt::LeftEdge;
    if (right || (nearRight && (top || bottom)))
        edges |= Qt::RightEdge;
    if (top || (nearTop && (left || right)))
        edges |= Qt::TopEdge;
    if (bottom || (nearBottom && (left || right)))
        edges |= Qt::BottomEdge;
    return edges;
}

Qt::CursorShape SkinFormEdges::CursorFor(Qt::Edges edges) {
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool mainDiagonal =
            (edges & Qt::LeftEdge) ? bool(edges & Qt::TopEdge) : bool(edges & Qt::BottomEdge);
        return mainDiagonal ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    if (horizontal)
        return Qt::SizeHorCursor;
    if (vertical)
        return Qt::SizeVerCursor;
    return Qt::ArrowCursor;
}

namespace {

// One axis: the span [start, end) with its low and/or high end dragged.
void resizeAxis(int& low, int& high, bool dragLow, bool dragHigh, int delta, int minimum,
                int maximum) {
    // Widened arithmetic: a wild delta must not wrap around.
    const long long lo = low, hi = high;
    if (dragHigh) {
        const long long size = std::clamp<long long>(hi - lo + delta, minimum, maximum);
        high = int(lo + size);
    } else if (dragLow) {
        const long long size = std::clamp<long long>(hi - lo - delta, minimum, maximum);
        low = int(hi - size);
    }
}

} // namespace

QRect SkinFormEdges::Resized(const QRect& start, Qt::Edges edges, QPoint delta, QSize minimum,
                             QSize maximum) {
    int left = start.left(), right = start.left() + start.width();
    int top = start.top(), bottom = start.top() + start.height();
    const int minW = std::max(0, minimum.width()), minH = std::max(0, minimum.height());
    const int maxW = std::max(minW, maximum.width()), maxH = std::max(minH, maximum.height());
    resizeAxis(left, right, edges & Qt::LeftEdge, edges & Qt::RightEdge, delta.x(), minW, maxW);
    resizeAxis(top, bottom, edges & Qt::TopEdge, edges & Qt::BottomEdge, delta.y(), minH, maxH);
    return QRect(left, top, right - left, bottom - top);
}
