#include "skin/draw/SkinGeometry.h"

#include <QWidget>
#include <QWindow>

QRect FrameRect(QSize stripSize, int frameCount, int frameIndex) {
    if (frameCount < 1 || stripSize.isEmpty())
        return QRect();
    const int fw = stripSize.width() / frameCount;
    return QRect(fw * (frameIndex - 1), 0, fw, stripSize.height());
}

namespace {

QRect clampedCut(int left, int top, int width, int height) {
    return QRect(left, top, qMax(0, width), qMax(0, height));
}

} // namespace

std::vector<TskStretchPiece> KeepCornersPieces(QSize source, const QRect& rect) {
    const int SW = source.width(), SH = source.height();
    const int hw = SW / 2, hh = SH / 2;
    const int W = rect.width(), H = rect.height();
    const int dw = W / 2, dh = H / 2;
    const int R = W, B = H;

    // A corner is the smaller of its source box and its target box each way,
    // cut from the outer edges of the source.
    auto cornerSize = [](int boxW, int boxH, int targetW, int targetH) {
        return QSize(qMax(0, qMin(boxW, targetW)), qMax(0, qMin(boxH, targetH)));
    };
    const QSize tl = cornerSize(hw, hh, dw, dh);
    const QSize bl = cornerSize(hw, hh - 1, dw, dh - 1);
    const QSize tr = cornerSize(hw - 1, hh, dw - 1, dh);
    const QSize br = cornerSize(hw - 1, hh - 1, dw - 1, dh - 1);

    const QRect TL = RectLTRB(0, 0, tl.width(), tl.height());
    const QRect BL = RectLTRB(0, B - bl.height(), bl.width(), B);
    const QRect TR = RectLTRB(R - tr.width(), 0, R, tr.height());
    const QRect BR = RectLTRB(R - br.width(), B - br.height(), R, B);

    std::vector<TskStretchPiece> pieces;
    const QRect bounds(0, 0, SW, SH);
    auto add = [&](QRect src, QRect target, bool corner) {
        src = src.intersected(bounds);
        if (target.width() <= 0 || target.height() <= 0 || src.isEmpty())
            return;
        pieces.push_back({src, target.translated(rect.topLeft()), corner});
    };

    add(clampedCut(0, 0, tl.width(), tl.height()), TL, true);
    add(clampedCut(0, SH - bl.height(), bl.width(), bl.height()), BL, true);
    {
        const QRect target = RectLTRB(0, RectBottom(TL), RectRight(TL), BL.y());
        const int w = qMin(hw, target.width());
        add(RectLTRB(0, hh, w, SH - hh), target, false);
    }
    add(clampedCut(SW - tr.width(), 0, tr.width(), tr.height()), TR, true);
    add(clampedCut(SW - br.width(), SH - br.height(), br.width(), br.height()), BR, true);
    {
        const QRect target = RectLTRB(TR.x(), RectBottom(TR), RectRight(TR), BR.y());
        const int boxLeft = SW - hw + 1;
        const int w = qMin(SW - boxLeft, target.width());
        add(RectLTRB(SW - w, SH - hh, SW, hh + 2), target, false);
    }
    {
        const QRect target = RectLTRB(RectRight(TL), 0, TR.x(), RectBottom(TL));
        const int h = qMin(hh, target.height());
        add(RectLTRB(hw, 0, SW - hw + 1, h), target, false);
    }
    add(RectLTRB(hw, hh, SW - hw + 1, SH - hh),
        RectLTRB(RectRight(TL), RectBottom(TL), TR.x(), BR.y() - 1), false);
    {
        const QRect target = RectLTRB(RectRight(TL) - 1, BL.y() - 1, BR.x(), RectBottom(BR));
        const int h = qMin(hh, target.height());
        add(RectLTRB(hw, SH - h, SW - hw + 1, SH), target, false);
    }
    return pieces;
}

QRect TiledArea(QSize picture, QSize area) {
    const int pw = picture.width(), ph = picture.height();
    if (pw <= 0 || ph <= 0)
        return QRect();
    // As many columns as there are x = 0, pw, ... below W + pw; rows likewise.
    const int columns = (qMax(0, area.width()) + 2 * pw - 1) / pw;
    const int rows = (qMax(0, area.height()) + 2 * ph - 1) / ph;
    return QRect(0, 0, columns * pw, rows * ph);
}

bool InRect(int x, int y, const QRect& rect) {
    return rect.x() <= x && x <= RectRight(rect) && rect.y() <= y && y <= RectBottom(rect);
}

bool InRect(QPoint point, const QRect& rect) {
    return InRect(point.x(), point.y(), rect);
}

void SetControlBounds(QWidget* control, const QRect& rect) {
    if (!control)
        return;
    control->move(rect.x(), control->y());
    control->move(rect.x(), rect.y());
    control->resize(rect.width(), control->height());
    control->resize(rect.width(), rect.height());
}

void SetWindowBounds(QWidget* window, const QRect& rect) {
    if (QWindow* handle = window->windowHandle())
        handle->setGeometry(rect);
    else
        window->setGeometry(rect);
}
