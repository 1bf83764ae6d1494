#include "skin/menus/SkinMenuDrawing.h"

#include "skin/draw/SkinGeometry.h"
#include "skin/draw/SkinPainting.h"
#include "skin/draw/TskColor.h"
#include "skin/theme/SkinStyleList.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QMenu>
#include <QPainter>

QLine MenuSeparatorLine(const QRect& rect, int indent, bool indentAtLeft) {
    const int y = rect.y() + 2;
    if (indentAtLeft)
        return QLine(rect.x() + indent + 4, y, RectRight(rect) - 2, y);
    return QLine(rect.x() + 2, y, RectRight(rect) - indent - 4, y);
}

void DrawMenuSeparator(QPainter& canvas, const QRect& rect, qint32 color, int indent,
                       bool indentAtLeft) {
    canvas.setPen(TskColor::toQColor(color));
    const QLine line = MenuSeparatorLine(rect, indent, indentAtLeft);
    DrawLineExcludingEnd(canvas, line.p1(), line.p2());
}

namespace {

void drawMenuImage(QPainter& canvas, const QRect& rect, TskUIStyle style, const char* part,
                   int rows) {
    const SkinStyle* record = SkinStyleList::Find(style);
    if (!record)
        return;
    const QImage image = LoadBuiltinImage(record->imageName(part));
    if (image.isNull() || rect.width() <= 0 || rect.height() <= 0)
        return;
    const QImage top = image.copy(0, 0, image.width(), qMin(rows, image.height()));
    // Stretched by replicating pixels: the rows of the image keep their
    // colours, as the menu bar's own stretched image does.
    canvas.drawImage(rect.topLeft(),
                     top.scaled(rect.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

} // namespace

void DrawMenuBarImage(QPainter& canvas, const QRect& rect, TskUIStyle style) {
    drawMenuImage(canvas, rect, style, "MENU_BAR", 12);
}

void DrawMenuBarImageTall(QPainter& canvas, const QRect& rect, TskUIStyle style) {
    drawMenuImage(canvas, rect, style, "MENU_BAR", 20);
}

void DrawMenuSelectImage(QPainter& canvas, const QRect& rect, TskUIStyle style) {
    drawMenuImage(canvas, rect, style, "MENU_SELECT", 20);
}

void DrawMenuWindowBorder(QPainter& canvas, const QRect& windowRect, qint32 frameColor,
                          qint32 lineColor) {
    const int L = windowRect.x(), T = windowRect.y();
    const int R = RectRight(windowRect), B = RectBottom(windowRect);
    FrameRectColor(canvas, RectLTRB(L, T + 1, R - 1, B - 1), frameColor);
    FrameRectColor(canvas, RectLTRB(L + 1, T + 2, R - 2, B - 2), TskColor::fromRgb(255, 255, 255));
    canvas.save();
    canvas.setPen(TskColor::toQColor(lineColor));
    const QPoint path[] = {{L, B - 1}, {R - 1, B - 1}, {R - 1, T}, {R, T}, {L, T}};
    for (int i = 0; i + 1 < 5; ++i)
        DrawLineExcludingEnd(canvas, path[i], path[i + 1]);
    canvas.restore();
}

void SetMenuFont(QFont& font, QColor* color) {
    font = QApplication::font("QMenu");
    if (color)
        *color = TskColor::toQColor(TskColor::MenuText);
}

void SetMenuItemsOwnerDraw(QMenu* menu, QStyle* drawingStyle) {
    if (!menu)
        return;
    menu->setStyle(drawingStyle);
    for (QAction* action : menu->actions()) {
        if (QMenu* sub = action->menu())
            SetMenuItemsOwnerDraw(sub, drawingStyle);
    }
}
