#pragma once

// Drawing and geometry helpers shared by the skinned components. Geometry is
// computed by pure functions (tested without a window); the drawing functions
// paint through QPainter.
//
// Rectangles follow the skin's convention: Left, Top inclusive, Right, Bottom
// exclusive. QRect stores an inclusive right(), so build rectangles with
// RectLTRB and read their exclusive edges with RectRight/RectBottom.

#include <QImage>
#include <QLine>
#include <QPoint>
#include <QRect>
#include <QVariant>
#include <QtGlobal>
#include <vector>

class QFont;
class QColor;
class QMenu;
class QObject;
class QPainter;
class QPixmap;
class QStyle;
class QWidget;

// The fixed transparent key colour of skin images (red 255, green 0, blue 255).
constexpr QRgb SkinKeyColor = 0xFFFF00FF;

// A copy of Image in which every pixel of the key colour is fully transparent.
QImage MaskedWithKey(const QImage& image, QRgb key = SkinKeyColor);
// Image drawn at Pos with pixels of the key colour left out.
void DrawMasked(QPainter& canvas, QPoint pos, const QImage& image, QRgb key = SkinKeyColor);

inline QRect RectLTRB(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}
inline int RectRight(const QRect& r) {
    return r.x() + r.width();
}
inline int RectBottom(const QRect& r) {
    return r.y() + r.height();
}

// ---- Frames of image strips ----

// The block of frame FrameIndex (1-based) in a strip of FrameCount frames:
// fw = width div FrameCount, columns fw*(i-1) .. fw*i. Empty for an empty
// strip or FrameCount < 1.
QRect FrameRect(QSize stripSize, int frameCount, int frameIndex);
// Dest becomes that frame (0x0 for an empty source).
void ExtractFrame(const QImage& source, QImage& dest, int frameCount, int frameIndex);

// ---- Stretching with kept corners ----

struct TskStretchPiece {
    QRect source; // box cut from the source image
    QRect target; // where it lands
    bool corner;  // corners are drawn at natural size, masked only when asked
};

// The pieces DrawStretchedKeepCorners draws, in drawing order, empty pieces
// left out. Rect is taken with Left and Top at 0, as the callers pass it.
std::vector<TskStretchPiece> KeepCornersPieces(QSize source, const QRect& rect);
// Source fills Rect: corners unscaled (masked with the key colour when
// Transparent), edges and centre stretched and always key-colour masked.
void DrawStretchedKeepCorners(const QImage& source, QPainter& canvas, const QRect& rect,
                              bool transparent);

// Left third, stretched middle third and right third of Source across Rect.
// The key colour of the two ends is the pixel (0,0) (TopCorner) or the
// lower-left pixel when UseCornerColor, else SkinKeyColor.
void DrawThreePartHorizontal(const QImage& source, QPainter& canvas, const QRect& rect,
                             bool useCornerColor, bool topCorner);

// ---- Tiling ----

// Positions of TileDraw: x = 0, pw, ... while x < W + pw; y likewise. They
// start at 0, not at Rect's corner. Empty for a picture without area.
std::vector<QPoint> TilePositions(QSize picture, QSize area);
void TileDraw(QPainter& canvas, const QImage& picture, const QRect& rect);
void TileDraw(QPainter& canvas, const QPixmap& picture, const QRect& rect);

// ---- Controls and windows ----

// What Control's parent shows behind it (background and the parent's own
// content, not its other children), lined up under Control. A transparent
// parent paints what lies behind itself in turn. Nothing without a parent.
void PaintParentBackground(QPainter& canvas, const QWidget* control);

// Bitmap turned by 180 degrees in place.
void RotateBitmap180(QImage& bitmap);

// All four edges inclusive: Left <= X <= Right and Top <= Y <= Bottom, with
// Right and Bottom the exclusive edges of Rect.
bool InRect(int x, int y, const QRect& rect);
bool InRect(QPoint point, const QRect& rect);

// The main window of the application, asked by GetWorkAreaRect and
// FormIsActive. The program registers it at start-up.
void SetApplicationMainForm(QWidget* form);
QWidget* ApplicationMainForm();

// The usable desktop area of the screen nearest to the main form, or of the
// primary screen without one.
QRect GetWorkAreaRect();

// Left, Top, Width, Height set in that order, each a separate change.
void SetControlBounds(QWidget* control, const QRect& rect);

// Whether the object's class (or an ancestor) declares a property of that
// name; letter case ignored.
bool HasProperty(const QObject* component, const char* name);
// Writes a declared property found by name without regard to case; false
// when there is none or the value is refused. Enum properties take their key
// names ("MacOS") as strings.
bool SetPropertyByName(QObject* component, const char* name, const QVariant& value);
QVariant GetPropertyByName(const QObject* component, const char* name);

// Whether the form counts as the active window: with no main form the form's
// own active flag; false while the application is inactive; true for the
// main form itself or no form; otherwise the form's own active flag.
bool FormIsActive(const QWidget* form);

// ---- Menu helpers ----

// One-pixel frame of Rect (its last column and row at Right-1, Bottom-1).
void FrameRectColor(QPainter& canvas, const QRect& rect, qint32 color);
void FillRectColor(QPainter& canvas, const QRect& rect, qint32 color);

// The separator line from p1 up to p2, p2 itself not drawn:
// IndentAtLeft (L+Indent+4, T+2)..(R-2, T+2), else (L+2, T+2)..(R-Indent-4, T+2).
QLine MenuSeparatorLine(const QRect& rect, int indent, bool indentAtLeft);
void DrawMenuSeparator(QPainter& canvas, const QRect& rect, qint32 color, int indent,
                       bool indentAtLeft);

// MacOS menu images stretched into Rect: the bar's top 12 rows, its top 20
// rows, and the selection's top 20 rows.
void DrawMacMenuBar(QPainter& canvas, const QRect& rect);
void DrawMacMenuBarTall(QPainter& canvas, const QRect& rect);
void DrawMacMenuSelect(QPainter& canvas, const QRect& rect);

// The skinned border of a popup menu, painted by the menu onto itself.
// WindowRect is the menu's rectangle in the painter's coordinates:
// frame (L, T+1, R-1, B-1) in FrameColor, frame (L+1, T+2, R-2, B-2) in
// white, then a line in LineColor (L,B-1) -> (R-1,B-1) -> (R-1,T) -> (R,T) ->
// (L,T), each segment's end point not drawn.
void DrawMenuWindowBorder(QPainter& canvas, const QRect& windowRect, qint32 frameColor,
                          qint32 lineColor);

// Font becomes the system menu font; Color (when given) the menu-text colour.
void SetMenuFont(QFont& font, QColor* color = nullptr);

// The drawing style set on Menu and on every sub-menu below it, depth first
// in item order; the style measures and draws the items.
void SetMenuItemsOwnerDraw(QMenu* menu, QStyle* drawingStyle);

// A line drawn as the skin's line routine draws it: from p1 up to p2, p2 not
// drawn (horizontal and vertical lines; others end one pixel short).
void DrawLineExcludingEnd(QPainter& canvas, QPoint p1, QPoint p2);
