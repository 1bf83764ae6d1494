#pragma once

// Drawing helpers of the skinned menus: separators, the style's menu images,
// the popup border, the menu font and the owner-drawn items.

#include "skin/theme/SkinThemes.h"

#include <QLine>
#include <QRect>
#include <QtGlobal>

class QColor;
class QFont;
class QMenu;
class QPainter;
class QStyle;

// The separator line from p1 up to p2, p2 itself not drawn:
// IndentAtLeft (L+Indent+4, T+2)..(R-2, T+2), else (L+2, T+2)..(R-Indent-4, T+2).
QLine MenuSeparatorLine(const QRect& rect, int indent, bool indentAtLeft);
void DrawMenuSeparator(QPainter& canvas, const QRect& rect, qint32 color, int indent,
                       bool indentAtLeft);

// The style's menu images stretched into Rect: MENU_BAR's top 12 rows, its
// top 20 rows, and MENU_SELECT's top 20 rows. Nothing for FromThemeFile.
void DrawMenuBarImage(QPainter& canvas, const QRect& rect, TskUIStyle style);
void DrawMenuBarImageTall(QPainter& canvas, const QRect& rect, TskUIStyle style);
void DrawMenuSelectImage(QPainter& canvas, const QRect& rect, TskUIStyle style);

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
