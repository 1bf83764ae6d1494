#pragma once

// Pure geometry of the skinned components, tested without a window.
//
// Rectangles follow the skin's convention: Left, Top inclusive, Right, Bottom
// exclusive. QRect stores an inclusive right(), so build rectangles with
// RectLTRB and read their exclusive edges with RectRight/RectBottom.

#include <QPoint>
#include <QRect>
#include <vector>

class QWidget;

inline QRect RectLTRB(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}
inline int RectRight(const QRect& r) {
    return r.x() + r.width();
}
inline int RectBottom(const QRect& r) {
    return r.y() + r.height();
}

// The block of frame FrameIndex (1-based) in a strip of FrameCount frames:
// fw = width div FrameCount, columns fw*(i-1) .. fw*i. Empty for an empty
// strip or FrameCount < 1.
QRect FrameRect(QSize stripSize, int frameCount, int frameIndex);

struct TskStretchPiece {
    QRect source; // box cut from the source image
    QRect target; // where it lands
    bool corner;  // corners are drawn at natural size, masked only when asked
};

// The pieces DrawStretchedKeepCorners draws, in drawing order, empty pieces
// left out. Rect is taken with Left and Top at 0, as the callers pass it.
std::vector<TskStretchPiece> KeepCornersPieces(QSize source, const QRect& rect);

// What the copies of TileDraw cover together: copies at x = 0, pw, ...
// while x < W + pw, and y likewise, starting at 0, not at Rect's corner; so
// from (0, 0) to the far edges of the last column and row. Empty for a
// picture without area.
QRect TiledArea(QSize picture, QSize area);

// All four edges inclusive: Left <= X <= Right and Top <= Y <= Bottom, with
// Right and Bottom the exclusive edges of Rect.
bool InRect(int x, int y, const QRect& rect);
bool InRect(QPoint point, const QRect& rect);

// Left, Top, Width, Height set in that order, each a separate change.
void SetControlBounds(QWidget* control, const QRect& rect);
// A window's bounds set through its native window, which keeps a maximized
// state that moving the widget itself would drop.
void SetWindowBounds(QWidget* window, const QRect& rect);
