#pragma once

// Resizing a skinned window by its edges. The window has no frame of the
// window system's: its outer ring (the pixels the form paints as the frame)
// answers the edge hit test itself. Pure geometry, so the rules are tested
// without a window.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <Qt>

class SkinFormEdges {
public:
    // How far along an edge from a corner the corner itself is grabbed: the
    // ring is only 3 pixels deep, so a corner of 3 x 3 pixels could hardly
    // be hit.
    static constexpr int kCornerReach = 16;

    // The edges a press at Point (window coordinates) would drag in a window
    // of Size whose frame ring is Ring deep on each side: none inside the
    // ring, outside the window, or when the window cannot be resized
    // (maximized, or a fixed border).
    static Qt::Edges HitTest(QSize size, QPoint point, QMargins ring, bool resizable);

    // The pointer shape over those edges; the arrow over none.
    static Qt::CursorShape CursorFor(Qt::Edges edges);

    // The window's bounds after dragging Edges by Delta from Start: the
    // dragged edges follow the pointer, the others stay, and the size keeps
    // between Minimum and Maximum (the dragged edge stops there).
    static QRect Resized(const QRect& start, Qt::Edges edges, QPoint delta, QSize minimum,
                         QSize maximum);
};
