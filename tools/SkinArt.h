#pragma once

// Drawing primitives of the skin image generator: gradients, glossy gel
// shapes, key-colour flattening and the title-button glyphs.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>
#include <vector>

namespace SkinArt {

constexpr QRgb Key = 0xFFFF00FF;
// The background of the two title-button strips that are drawn transparent.
constexpr QRgb TitleButtonKey = 0xFFF504FA;

enum class Glyph { ControlBox, Help, Maximize, Restore, Minimize, Close };
enum class State { Normal, Hover, Pressed };

struct Stop {
    qreal at;
    QColor color;
};

// A transparent image to draw on with anti-aliasing.
QImage blank(int width, int height);
// A painter with anti-aliasing on.
void beginPaint(QPainter& p, QImage& image);

QLinearGradient vertical(const QRectF& r, const std::vector<Stop>& stops);
QLinearGradient horizontal(const QRectF& r, const std::vector<Stop>& stops);
void fillVertical(QPainter& p, const QRectF& r, const std::vector<Stop>& stops);

QPainterPath roundRect(const QRectF& r, qreal radius);

// A glossy gel: a vertical fill from top to bottom, a soft white highlight
// over the upper half, a faint glow at the bottom and a border.
struct Gel {
    QColor top;
    QColor bottom;
    QColor border;
    qreal gloss = 0.55; // opacity of the upper highlight
    qreal glow = 0.25;  // opacity of the lower reflected glow
    qreal borderWidth = 1.0;
};
void paintGel(QPainter& p, const QPainterPath& shape, const Gel& gel);

// A flat shape: fill, optional 1 px inner highlight, border.
void paintFlat(QPainter& p, const QPainterPath& shape, const QColor& fill, const QColor& border,
               const QColor& innerLight = QColor());

// Pixels mostly outside the drawing become Key; the others are composed over
// Backdrop and made opaque, so edges are smooth against the colour the image
// will be shown on and never fringed with the key colour.
QImage flattenOnKey(const QImage& art, const QColor& backdrop, QRgb key = Key);
// Composes the drawing over an opaque backdrop image of the same size.
QImage flattenOver(const QImage& art, const QImage& backdrop);
// Opaque image: the drawing over a plain colour.
QImage flattenOnColor(const QImage& art, const QColor& backdrop);

// The title-button glyph in Box, drawn with strokes of Width.
void paintGlyph(QPainter& p, const QRectF& box, Glyph glyph, const QColor& color, qreal width);
// Same glyph with a one-pixel shadow below it.
void paintGlyphShadowed(QPainter& p, const QRectF& box, Glyph glyph, const QColor& color,
                        const QColor& shadow, qreal width);

// A strip of Frames frames, each painted by Paint(painter, frame rect, index 0-based).
QImage strip(int frames, int frameWidth, int height, const std::function<QImage(int index)>& frame);

QColor mix(const QColor& a, const QColor& b, qreal t);
QColor lighter(const QColor& c, qreal t); // towards white
QColor darker(const QColor& c, qreal t);  // towards black

} // namespace SkinArt
