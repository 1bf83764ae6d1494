#include "skin/draw/SkinPainting.h"

#include "skin/draw/TskColor.h"

#include <QPainter>
#include <QPixmap>
#include <QWidget>

QImage MaskedWithKey(const QImage& image, QRgb key) {
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb rgb = key & 0x00FFFFFF;
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == rgb)
                line[x] = 0;
        }
    }
    return masked;
}

void DrawMasked(QPainter& canvas, QPoint pos, const QImage& image, QRgb key) {
    if (image.isNull())
        return;
    canvas.drawImage(pos, MaskedWithKey(image, key));
}

void ExtractFrame(const QImage& source, QImage& dest, int frameCount, int frameIndex) {
    const QRect block = FrameRect(source.size(), frameCount, frameIndex);
    if (block.isEmpty()) {
        dest = QImage();
        return;
    }
    // Parts of a block outside the strip come out black.
    dest = source.copy(block);
}

void DrawStretchedKeepCorners(const QImage& source, QPainter& canvas, const QRect& rect,
                              bool transparent) {
    if (source.isNull())
        return;
    for (const TskStretchPiece& piece : KeepCornersPieces(source.size(), rect)) {
        const QImage cut = source.copy(piece.source);
        if (piece.corner) {
            if (transparent)
                DrawMasked(canvas, piece.target.topLeft(), cut);
            else
                canvas.drawImage(piece.target.topLeft(), cut);
            continue;
        }
        // Edge pieces are a pixel or two thick: plain replication is exact.
        const QImage stretched =
            cut.scaled(piece.target.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
        DrawMasked(canvas, piece.target.topLeft(), stretched);
    }
}

void DrawThreePartHorizontal(const QImage& source, QPainter& canvas, const QRect& rect,
                             bool useCornerColor, bool topCorner) {
    if (source.isNull())
        return;
    QRgb key = SkinKeyColor;
    if (useCornerColor)
        key = source.pixel(0, topCorner ? 0 : source.height() - 1);
    const int fw = source.width() / 3;
    if (fw <= 0)
        return;
    const int h = source.height();
    DrawMasked(canvas, rect.topLeft(), source.copy(0, 0, fw, h), key);
    DrawMasked(canvas, QPoint(RectRight(rect) - fw, rect.y()), source.copy(2 * fw, 0, fw, h), key);
    const QRect middle = RectLTRB(rect.x() + fw, rect.y(), RectRight(rect) - fw, RectBottom(rect));
    if (middle.width() > 0 && middle.height() > 0)
        canvas.drawImage(middle.topLeft(),
                         source.copy(fw, 0, fw, h)
                             .scaled(middle.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

namespace {

// The copies drawn as one fill with the picture as a pattern from (0, 0):
// the same pixels as a copy at every tile position, without a call for each
// (a form's 8 x 8 background would take thousands).
template <class Picture>
void tileFill(QPainter& canvas, const Picture& picture, const QRect& rect) {
    const QRect area = TiledArea(picture.size(), rect.size());
    if (area.isEmpty())
        return;
    canvas.save();
    canvas.setBrushOrigin(0, 0);
    canvas.fillRect(area, QBrush(picture));
    canvas.restore();
}

} // namespace

void TileDraw(QPainter& canvas, const QImage& picture, const QRect& rect) {
    tileFill(canvas, picture, rect);
}

void TileDraw(QPainter& canvas, const QPixmap& picture, const QRect& rect) {
    tileFill(canvas, picture, rect);
}

void PaintParentBackground(QPainter& canvas, const QWidget* control) {
    if (!control || !control->parentWidget())
        return;
    QWidget* parent = control->parentWidget();
    canvas.save();
    canvas.translate(-control->x(), -control->y());
    canvas.setClipRect(parent->rect(), canvas.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    // The parent's own background and content only: its children (the
    // control among them) are not drawn, as a native erase and paint would not.
    parent->render(&canvas, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    canvas.restore();
}

void RotateBitmap180(QImage& bitmap) {
    if (bitmap.isNull())
        return;
    bitmap = bitmap.mirrored(true, true);
}

void FillRectColor(QPainter& canvas, const QRect& rect, qint32 color) {
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    canvas.fillRect(rect, TskColor::toQColor(color));
}

void FrameRectColor(QPainter& canvas, const QRect& rect, qint32 color) {
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    const QColor c = TskColor::toQColor(color);
    const int l = rect.x(), t = rect.y(), r = RectRight(rect), b = RectBottom(rect);
    canvas.fillRect(RectLTRB(l, t, r, t + 1), c);
    canvas.fillRect(RectLTRB(l, b - 1, r, b), c);
    canvas.fillRect(RectLTRB(l, t, l + 1, b), c);
    canvas.fillRect(RectLTRB(r - 1, t, r, b), c);
}

void DrawLineExcludingEnd(QPainter& canvas, QPoint p1, QPoint p2) {
    const QColor c = canvas.pen().color();
    if (p1.y() == p2.y()) {
        if (p2.x() > p1.x())
            canvas.fillRect(RectLTRB(p1.x(), p1.y(), p2.x(), p1.y() + 1), c);
        else if (p2.x() < p1.x())
            canvas.fillRect(RectLTRB(p2.x() + 1, p1.y(), p1.x() + 1, p1.y() + 1), c);
    } else if (p1.x() == p2.x()) {
        if (p2.y() > p1.y())
            canvas.fillRect(RectLTRB(p1.x(), p1.y(), p1.x() + 1, p2.y()), c);
        else
            canvas.fillRect(RectLTRB(p1.x(), p2.y() + 1, p1.x() + 1, p1.y() + 1), c);
    } else {
        // Slanted lines do not occur in the skin; end one step short all the same.
        const QPointF d = QPointF(p2 - p1);
        const qreal len = qMax(qAbs(d.x()), qAbs(d.y()));
        canvas.drawLine(QPointF(p1), QPointF(p2) - d / len);
    }
}
