#include "skin/draw/SkinPublic.h"

#include "skin/theme/SkinThemes.h"
#include "skin/theme/TskColor.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QMenu>
#include <QMetaProperty>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
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

// ---- Frames ----

QRect FrameRect(QSize stripSize, int frameCount, int frameIndex) {
    if (frameCount < 1 || stripSize.isEmpty())
        return QRect();
    const int fw = stripSize.width() / frameCount;
    return QRect(fw * (frameIndex - 1), 0, fw, stripSize.height());
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

// ---- Stretching with kept corners ----

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

// ---- Tiling ----

std::vector<QPoint> TilePositions(QSize picture, QSize area) {
    std::vector<QPoint> positions;
    const int pw = picture.width(), ph = picture.height();
    if (pw <= 0 || ph <= 0)
        return positions;
    for (int x = 0; x < area.width() + pw; x += pw) {
        for (int y = 0; y < area.height() + ph; y += ph)
            positions.emplace_back(x, y);
    }
    return positions;
}

void TileDraw(QPainter& canvas, const QImage& picture, const QRect& rect) {
    for (const QPoint& p : TilePositions(picture.size(), rect.size()))
        canvas.drawImage(p, picture);
}

void TileDraw(QPainter& canvas, const QPixmap& picture, const QRect& rect) {
    for (const QPoint& p : TilePositions(picture.size(), rect.size()))
        canvas.drawPixmap(p, picture);
}

// ---- Controls and windows ----

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

bool InRect(int x, int y, const QRect& rect) {
    return rect.x() <= x && x <= RectRight(rect) && rect.y() <= y && y <= RectBottom(rect);
}

bool InRect(QPoint point, const QRect& rect) {
    return InRect(point.x(), point.y(), rect);
}

namespace {
QPointer<QWidget>& mainFormSlot() {
    static QPointer<QWidget> form;
    return form;
}
} // namespace

void SetApplicationMainForm(QWidget* form) {
    mainFormSlot() = form;
}
QWidget* ApplicationMainForm() {
    return mainFormSlot();
}

QRect GetWorkAreaRect() {
    QScreen* screen = nullptr;
    if (QWidget* form = ApplicationMainForm()) {
        screen = QGuiApplication::screenAt(form->frameGeometry().center());
        if (!screen)
            screen = form->screen();
    }
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void SetControlBounds(QWidget* control, const QRect& rect) {
    if (!control)
        return;
    control->move(rect.x(), control->y());
    control->move(rect.x(), rect.y());
    control->resize(rect.width(), control->height());
    control->resize(rect.width(), rect.height());
}

namespace {

int propertyIndex(const QObject* component, const char* name) {
    if (!component || !name)
        return -1;
    const QMetaObject* meta = component->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        if (qstricmp(meta->property(i).name(), name) == 0)
            return i;
    }
    return -1;
}

} // namespace

bool HasProperty(const QObject* component, const char* name) {
    return propertyIndex(component, name) >= 0;
}

bool SetPropertyByName(QObject* component, const char* name, const QVariant& value) {
    const int index = propertyIndex(component, name);
    if (index < 0)
        return false;
    return component->metaObject()->property(index).write(component, value);
}

QVariant GetPropertyByName(const QObject* component, const char* name) {
    const int index = propertyIndex(component, name);
    if (index < 0)
        return QVariant();
    return component->metaObject()->property(index).read(component);
}

bool FormIsActive(const QWidget* form) {
    const QWidget* mainForm = ApplicationMainForm();
    if (!mainForm)
        return form && form->isActiveWindow();
    if (QGuiApplication::applicationState() != Qt::ApplicationActive)
        return false;
    if (!form || form == mainForm)
        return true;
    return form->isActiveWindow();
}

// ---- Menu helpers ----

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

void drawMacMenuImage(QPainter& canvas, const QRect& rect, const char* name, int rows) {
    const QImage image = LoadBuiltinImage(QLatin1String(name));
    if (image.isNull() || rect.width() <= 0 || rect.height() <= 0)
        return;
    const QImage top = image.copy(0, 0, image.width(), qMin(rows, image.height()));
    canvas.drawImage(rect.topLeft(),
                     top.scaled(rect.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

} // namespace

void DrawMacMenuBar(QPainter& canvas, const QRect& rect) {
    drawMacMenuImage(canvas, rect, "MACOS_MENU_BAR", 12);
}

void DrawMacMenuBarTall(QPainter& canvas, const QRect& rect) {
    drawMacMenuImage(canvas, rect, "MACOS_MENU_BAR", 20);
}

void DrawMacMenuSelect(QPainter& canvas, const QRect& rect) {
    drawMacMenuImage(canvas, rect, "MACOS_MENU_SELECT", 20);
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
