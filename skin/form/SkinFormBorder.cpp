#include "skin/form/SkinFormBorder.h"

#include "skin/draw/SkinGeometry.h"
#include "skin/draw/SkinPainting.h"
#include "skin/draw/TskColor.h"
#include "skin/form/SkinFormRegion.h"
#include "skin/theme/SkinStyle.h"

#include <QPainter>

namespace {

void fill(QPainter& canvas, int l, int t, int r, int b, qint32 color) {
    if (r > l && b > t)
        canvas.fillRect(RectLTRB(l, t, r, b), TskColor::toQColor(color));
}

// A scratch bitmap starts black, as a fresh compatible bitmap does.
QImage scratch(int width, int height) {
    QImage image(qMax(0, width), qMax(0, height), QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

void stretch(QPainter& canvas, const QImage& image, const QRect& target) {
    if (image.isNull() || target.width() <= 0 || target.height() <= 0)
        return;
    canvas.drawImage(target, image, image.rect());
}

} // namespace

QMargins SkinFormBorder::ClientMargins(int sideBorderWidth, int bottomBorderHeight) {
    if (sideBorderWidth <= 0)
        return QMargins(kFrame, kFrame, kFrame, kFrame);
    // The side images and the bottom image each have a one-pixel Color line
    // inside them that belongs to the frame: the window system's 3-pixel
    // frame on a rectangle widened by w - 2 on each side and by the bottom
    // height - 2 at the bottom leaves w + 1 at the sides and h + 1 below.
    return QMargins(sideBorderWidth + 1, kFrame, sideBorderWidth + 1,
                    qMax(0, bottomBorderHeight) + 1);
}

void SkinFormBorder::Paint(QPainter& canvas, const Input& in) {
    if (in.width <= 0 || in.height <= 0)
        return;
    if (in.sideImage.isNull() || in.sideImage.width() == 0)
        PaintRing(canvas, in);
    else
        PaintThemeBorder(canvas, in);
}

void SkinFormBorder::PaintRing(QPainter& canvas, const Input& in) {
    const int W = in.width, H = in.height, bw = in.borderWidth;
    fill(canvas, 0, 0, bw, H, in.borderColor);
    fill(canvas, 0, H - bw, W, H, in.borderColor);
    fill(canvas, W - bw, 0, W, H, in.borderColor);
    // With the title bar hidden the top strip is the border line over two
    // rows of Color, whatever the border width.
    const auto hiddenTitleStrip = [&] {
        fill(canvas, 0, 0, W, 1, in.borderColor);
        fill(canvas, bw, 1, W - bw, kFrame, in.color);
    };
    if (bw >= 4) {
        if (!in.titleBarVisible)
            hiddenTitleStrip();
        return;
    }

    const int T = in.titleBarVisible ? in.titleBarHeight : 0;
    fill(canvas, bw, T, kFrame, H - bw, in.color);
    fill(canvas, bw, H - kFrame, W - bw, H - bw, in.color);
    fill(canvas, W - kFrame, T, W - bw, H - bw, in.color);
    if (in.menuBarVisible) {
        const int th = in.titleBarHeight;
        fill(canvas, bw, th + kFrame, kFrame, th + kFrame + in.menuBarHeight, in.menuBarColor);
        fill(canvas, W - kFrame, th + kFrame, W - bw, th + kFrame + in.menuBarHeight,
             in.menuBarColor);
    }

    if (in.titleBarVisible && in.standardSections) {
        const QImage& left = in.leftImage;
        const QImage& right = in.rightImage;
        if (left.height() > 0 && bw < kFrame) {
            // Left edge: the left image's first columns, one border width in.
            QImage edge = scratch(kFrame - bw, left.height());
            {
                QPainter p(&edge);
                p.drawImage(0, 0, left);
            }
            canvas.drawImage(bw, 0, edge);
            // Right edge: the right image's last two columns.
            edge = scratch(kFrame - bw, left.height());
            {
                QPainter p(&edge);
                if (right.width() > 2)
                    p.drawImage(2 - right.width(), 0, right);
                else
                    stretch(p, right, edge.rect());
            }
            canvas.drawImage(W - kFrame, 0, edge);
        }
        if (W > 5) {
            // Top strip, aligned with the title bar's own drawing.
            QImage strip = scratch(W - 5, kFrame);
            {
                QPainter p(&strip);
                p.drawImage(-2, 0, left);
                const int rightX = (W - 5) - right.width() + 3;
                p.drawImage(rightX, 0, right);
                const int clientX = left.width() - 2;
                stretch(p, in.clientImage,
                        QRect(clientX, 0, rightX - clientX, in.clientImage.height()));
            }
            canvas.drawImage(2, 0, strip);
        }
        if (bw == 1 && in.roundCorner == GlassArcsRoundCorner && !in.designMode)
            PaintGlassArcs(canvas, in);
    } else if (!in.titleBarVisible) {
        hiddenTitleStrip();
    }
}

// The two quarter arcs along the rounded top corners, on the ellipse of the
// box (W - 2r + 1, -1)-(W + 1, 2r - 1) and its mirror at the left.
void SkinFormBorder::PaintGlassArcs(QPainter& canvas, const Input& in) {
    const int r = in.roundCorner, W = in.width;
    const int size = 2 * r;
    const std::vector<QPoint> quarter = SkinFormRegion::QuarterOutline(size, size);
    const QColor pen = TskColor::toQColor(in.borderColor);
    const int rightBoxLeft = W - size + 1, leftBoxLeft = -1, boxTop = -1;
    for (const QPoint& p : quarter) {
        // The quarter is the lower right one; the top corners mirror it upwards.
        const int y = boxTop + (size - 1 - p.y());
        canvas.fillRect(rightBoxLeft + p.x(), y, 1, 1, pen);
        canvas.fillRect(leftBoxLeft + (size - 1 - p.x()), y, 1, 1, pen);
    }
}

void SkinFormBorder::PaintThemeBorder(QPainter& canvas, const Input& in) {
    const int W = in.width, H = in.height;
    const int sbw = in.sideImage.width();
    const int th = in.titleBarVisible ? in.titleBarHeight : 0;
    const int bh = in.bottomImage.isNull() ? 0 : in.bottomImage.height();
    if (bh > 0)
        DrawThreePartHorizontal(in.bottomImage, canvas, RectLTRB(0, H - bh, W, H), false, false);
    stretch(canvas, in.sideImage, RectLTRB(0, th, sbw, H - bh));
    stretch(canvas, in.sideImageTurned, RectLTRB(W - sbw, th, W, H - bh));
    fill(canvas, sbw, th, sbw + 1, H - bh, in.color);
    fill(canvas, sbw + 1, H - bh - 1, W - sbw - 1, H - bh, in.color);
    fill(canvas, W - sbw - 1, th, W - sbw, H - bh, in.color);
    if (in.menuBarVisible) {
        fill(canvas, sbw, th, sbw + 1, th + in.menuBarHeight + kFrame, in.menuBarColor);
        fill(canvas, W - sbw - 1, th + kFrame, W - sbw, th + kFrame + in.menuBarHeight,
             in.menuBarColor);
    }

    if (in.titleBarVisible && in.standardSections) {
        const QImage& left = in.leftImage;
        const QImage& right = in.rightImage;
        const int cornerWidth = sbw + 2;
        if (left.height() <= 0 || W <= 2 * sbw)
            return;
        QImage corner = scratch(cornerWidth, left.height());
        {
            QPainter p(&corner);
            p.drawImage(0, 0, left);
        }
        canvas.drawImage(0, 0, corner);
        corner = scratch(cornerWidth, left.height());
        {
            QPainter p(&corner);
            if (right.width() < cornerWidth)
                stretch(p, right, corner.rect());
            else
                p.drawImage(cornerWidth - right.width(), 0, right);
        }
        canvas.drawImage(W - cornerWidth, 0, corner);
        QImage strip = scratch(W - 2 * sbw, kFrame);
        {
            QPainter p(&strip);
            p.drawImage(1 - sbw, 0, left);
            const int rightX = (W - 2 * sbw) + sbw - right.width();
            p.drawImage(rightX, 0, right);
            const int clientX = left.width() - sbw;
            stretch(p, in.clientImage,
                    QRect(clientX, 0, rightX - clientX, in.clientImage.height()));
        }
        canvas.drawImage(sbw, 0, strip);
    } else {
        // Between the border images' tops: the menu bar's colour while a bar
        // exists (shown or not), else the window's own colour.
        fill(canvas, sbw, 0, W - sbw, kFrame, in.menuBarExists ? in.menuBarColor : in.formColor);
    }
}
