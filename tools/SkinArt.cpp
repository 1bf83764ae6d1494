#include "SkinArt.h"

#include <QFont>
#include <QPainterPathStroker>

namespace SkinArt {

QImage blank(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void beginPaint(QPainter& p, QImage& image) {
    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

QLinearGradient vertical(const QRectF& r, const std::vector<Stop>& stops) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    for (const Stop& s : stops)
        g.setColorAt(s.at, s.color);
    return g;
}

QLinearGradient horizontal(const QRectF& r, const std::vector<Stop>& stops) {
    QLinearGradient g(r.topLeft(), r.topRight());
    for (const Stop& s : stops)
        g.setColorAt(s.at, s.color);
    return g;
}

void fillVertical(QPainter& p, const QRectF& r, const std::vector<Stop>& stops) {
    p.fillRect(r, vertical(r, stops));
}

QPainterPath roundRect(const QRectF& r, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

void paintGel(QPainter& p, const QPainterPath& shape, const Gel& gel) {
    const QRectF r = shape.boundingRect();
    p.save();
    p.setPen(Qt::NoPen);
    p.fillPath(shape, vertical(r, {{0, gel.top}, {1, gel.bottom}}));
    p.setClipPath(shape);
    // Lower glow: light scattered back up from the bottom edge.
    QRadialGradient glow(QPointF(r.center().x(), r.bottom()), r.width() * 0.6);
    glow.setColorAt(0, QColor(255, 255, 255, int(255 * gel.glow)));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(r.left(), r.center().y(), r.width(), r.height() / 2), glow);
    // Upper gloss: a softly fading highlight over the top half.
    const QRectF upper(r.left() + gel.borderWidth, r.top() + gel.borderWidth,
                       r.width() - 2 * gel.borderWidth, r.height() * 0.5);
    QPainterPath glossPath;
    const qreal radius = qMin(upper.height(), upper.width() / 2) * 0.9;
    glossPath.addRoundedRect(upper, radius, radius);
    p.fillPath(glossPath,
               vertical(upper, {{0, QColor(255, 255, 255, int(255 * gel.gloss))},
                                {1, QColor(255, 255, 255, int(255 * gel.gloss * 0.2))}}));
    p.restore();
    if (gel.borderWidth > 0) {
        p.save();
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(gel.border, gel.borderWidth));
        p.drawPath(shape);
        p.restore();
    }
}

void paintFlat(QPainter& p, const QPainterPath& shape, const QColor& fill, const QColor& border,
               const QColor& innerLight) {
    p.save();
    p.fillPath(shape, fill);
    if (innerLight.isValid()) {
        p.setClipPath(shape);
        const QRectF r = shape.boundingRect();
        p.setPen(QPen(innerLight, 1));
        p.drawLine(QPointF(r.left() + 1, r.top() + 1.5), QPointF(r.right() - 1, r.top() + 1.5));
        p.setClipping(false);
    }
    if (border.isValid()) {
        p.setPen(QPen(border, 1));
        p.setBrush(Qt::NoBrush);
        p.drawPath(shape);
    }
    p.restore();
}

QImage flattenOnKey(const QImage& art, const QColor& backdrop, QRgb key) {
    const QImage src = art.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const int a = qAlpha(in[x]);
            if (a < 110) {
                o[x] = key;
                continue;
            }
            const qreal t = a / 255.0;
            o[x] = qRgb(int(qRed(in[x]) * t + backdrop.red() * (1 - t) + 0.5),
                        int(qGreen(in[x]) * t + backdrop.green() * (1 - t) + 0.5),
                        int(qBlue(in[x]) * t + backdrop.blue() * (1 - t) + 0.5));
            // A composed pixel must never come out as the key colour itself.
            if ((o[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                o[x] ^= 0x000100;
        }
    }
    return out;
}

QImage flattenOver(const QImage& art, const QImage& backdrop) {
    QImage out = backdrop.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    p.drawImage(0, 0, art);
    p.end();
    return out.convertToFormat(QImage::Format_RGB32);
}

QImage flattenOnColor(const QImage& art, const QColor& backdrop) {
    QImage base(art.size(), QImage::Format_ARGB32_Premultiplied);
    base.fill(backdrop);
    return flattenOver(art, base);
}

void paintGlyph(QPainter& p, const QRectF& box, Glyph glyph, const QColor& color, qreal width) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(color, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QRectF b = box;
    switch (glyph) {
    case Glyph::ControlBox: {
        // A small menu triangle pointing down.
        QPainterPath tri;
        const qreal w = b.width() * 1.0, h = w * 0.55;
        const QPointF c = b.center();
        tri.moveTo(c.x() - w / 2, c.y() - h / 2);
        tri.lineTo(c.x() + w / 2, c.y() - h / 2);
        tri.lineTo(c.x(), c.y() + h / 2);
        tri.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(tri);
        break;
    }
    case Glyph::Help: {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        font.setPixelSize(int(b.height() * 1.05 + 0.5));
        p.setFont(font);
        p.drawText(b.adjusted(-2, -2, 2, 2), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case Glyph::Maximize: {
        const QRectF r = b.adjusted(width / 2, width / 2, -width / 2, -width / 2);
        p.drawRect(r);
        p.fillRect(QRectF(r.left(), r.top(), r.width(), width * 1.2), color);
        break;
    }
    case Glyph::Restore: {
        const qreal s = b.width() * 0.7;
        const QRectF back(b.right() - s, b.top(), s, s);
        const QRectF front(b.left(), b.bottom() - s, s, s);
        const QRectF bi = back.adjusted(width / 2, width / 2, -width / 2, -width / 2);
        const QRectF fi = front.adjusted(width / 2, width / 2, -width / 2, -width / 2);
        // The back window shows only where the front one does not cover it.
        p.save();
        QPainterPath clip;
        clip.addRect(b.adjusted(-2, -2, 2, 2));
        QPainterPath frontArea;
        frontArea.addRect(front);
        p.setClipPath(clip.subtracted(frontArea));
        p.drawRect(bi);
        p.fillRect(QRectF(bi.left(), bi.top(), bi.width(), width), color);
        p.restore();
        p.drawRect(fi);
        p.fillRect(QRectF(fi.left(), fi.top(), fi.width(), width), color);
        break;
    }
    case Glyph::Minimize: {
        const qreal h = qMax<qreal>(2.0, width * 1.3);
        p.fillRect(QRectF(b.left() + 1, b.bottom() - h, b.width() - 2, h), color);
        break;
    }
    case Glyph::Close: {
        pen.setCapStyle(Qt::RoundCap);
        pen.setWidthF(width * 1.15);
        p.setPen(pen);
        const QRectF r = b.adjusted(1, 1, -1, -1);
        p.drawLine(r.topLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomLeft());
        break;
    }
    }
    p.restore();
}

void paintGlyphShadowed(QPainter& p, const QRectF& box, Glyph glyph, const QColor& color,
                        const QColor& shadow, qreal width) {
    paintGlyph(p, box.translated(0, 1), glyph, shadow, width);
    paintGlyph(p, box, glyph, color, width);
}

QImage strip(int frames, int frameWidth, int height,
             const std::function<QImage(int index)>& frame) {
    QImage out(frameWidth * frames, height, QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    for (int i = 0; i < frames; ++i)
        p.drawImage(i * frameWidth, 0, frame(i));
    return out;
}

QColor mix(const QColor& a, const QColor& b, qreal t) {
    return QColor::fromRgbF(
        a.redF() * (1 - t) + b.redF() * t, a.greenF() * (1 - t) + b.greenF() * t,
        a.blueF() * (1 - t) + b.blueF() * t, a.alphaF() * (1 - t) + b.alphaF() * t);
}

QColor lighter(const QColor& c, qreal t) {
    return mix(c, QColor(255, 255, 255, c.alpha()), t);
}
QColor darker(const QColor& c, qreal t) {
    return mix(c, QColor(0, 0, 0, c.alpha()), t);
}

} // namespace SkinArt
