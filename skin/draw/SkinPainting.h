#pragma once

// Drawing helpers of the skinned components: key-colour masks, frames of
// image strips, stretching with kept corners, tiling, one-pixel frames and
// lines as the skin draws them.

#include "skin/draw/SkinGeometry.h"

#include <QImage>
#include <QtGlobal>

class QPainter;
class QPixmap;
class QWidget;

// The fixed transparent key colour of skin images (red 255, green 0, blue 255).
constexpr QRgb SkinKeyColor = 0xFFFF00FF;

// A copy of Image in which every pixel of the key colour is fully transparent.
QImage MaskedWithKey(const QImage& image, QRgb key = SkinKeyColor);
// Image drawn at Pos with pixels of the key colour left out.
void DrawMasked(QPainter& canvas, QPoint pos, const QImage& image, QRgb key = SkinKeyColor);

// Dest becomes frame FrameIndex (1-based) of a strip of FrameCount frames
// (see FrameRect); 0x0 for an empty source.
void ExtractFrame(const QImage& source, QImage& dest, int frameCount, int frameIndex);

// Source fills Rect: corners unscaled (masked with the key colour when
// Transparent), edges and centre stretched and always key-colour masked.
void DrawStretchedKeepCorners(const QImage& source, QPainter& canvas, const QRect& rect,
                              bool transparent);

// Left third, stretched middle third and right third of Source across Rect.
// The key colour of the two ends is the pixel (0,0) (TopCorner) or the
// lower-left pixel when UseCornerColor, else SkinKeyColor.
void DrawThreePartHorizontal(const QImage& source, QPainter& canvas, const QRect& rect,
                             bool useCornerColor, bool topCorner);

void TileDraw(QPainter& canvas, const QImage& picture, const QRect& rect);
void TileDraw(QPainter& canvas, const QPixmap& picture, const QRect& rect);

// What Control's parent shows behind it (background and the parent's own
// content, not its other children), lined up under Control. A transparent
// parent paints what lies behind itself in turn. Nothing without a parent.
void PaintParentBackground(QPainter& canvas, const QWidget* control);

// Bitmap turned by 180 degrees in place.
void RotateBitmap180(QImage& bitmap);

// One-pixel frame of Rect (its last column and row at Right-1, Bottom-1).
void FrameRectColor(QPainter& canvas, const QRect& rect, qint32 color);
void FillRectColor(QPainter& canvas, const QRect& rect, qint32 color);

// A line drawn as the skin's line routine draws it: from p1 up to p2, p2 not
// drawn (horizontal and vertical lines; others end one pixel short).
void DrawLineExcludingEnd(QPainter& canvas, QPoint p1, QPoint p2);
