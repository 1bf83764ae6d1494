#include "skin/controls/TskButton.h"

#include "skin/draw/SkinGeometry.h"
#include "skin/draw/SkinPainting.h"
#include "skin/theme/SkinStyleList.h"

#include <QPainter>

TskButton::TskButton(QWidget* parent) : TskCustomButton(parent) {
    resize(80, 27);
    // The style change of creation, now that this class's answer to it exists.
    SetUIStyle(UIStyle());
}

void TskButton::SetGlyph(const QImage& glyph) {
    // Equal images compare pixel by pixel: a copy of the same picture is no change.
    assignAndRepaint(m_glyph, glyph);
}

void TskButton::SetLayout(TButtonLayout layout) {
    assignAndRepaint(m_layout, layout);
}

void TskButton::SetSpacing(int spacing) {
    assignAndRepaint(m_spacing, spacing);
}

TskButton::GlyphPlacement TskButton::PlaceGlyph(TButtonLayout layout, QSize button, QSize text,
                                                QSize glyph, int spacing) {
    const int W = button.width(), H = button.height();
    const int tw = text.width(), th = text.height();
    const int gw = glyph.width(), gh = glyph.height();
    const int S = spacing;
    GlyphPlacement p;
    switch (layout) {
    case TButtonLayout::blGlyphLeft:
        p.glyph = QPoint((W - (tw + gw + S)) / 2, (H - gh) / 2);
        p.caption = QPoint(p.glyph.x() + gw + S, (H - th) / 2);
        break;
    case TButtonLayout::blGlyphRight:
        p.glyph = QPoint((W + tw + S - gw) / 2, (H - gh) / 2);
        p.caption = QPoint(p.glyph.x() - tw - S, (H - th) / 2);
        break;
    case TButtonLayout::blGlyphTop:
        p.glyph = QPoint((W - gw) / 2, (H - (th + gh + S)) / 2);
        p.caption = QPoint((W - tw) / 2, p.glyph.y() + gh + S);
        break;
    case TButtonLayout::blGlyphBottom:
        p.glyph = QPoint((W - gw) / 2, (H + th + S - gh) / 2);
        p.caption = QPoint((W - tw) / 2, p.glyph.y() - th - S);
        break;
    }
    return p;
}

QImage TskButton::GlyphFromIcon(const QIcon& icon) {
    if (icon.isNull())
        return QImage();
    QImage glyph = icon.pixmap(QSize(16, 16), 1.0).toImage();
    if (glyph.isNull())
        return glyph;
    glyph = glyph.convertToFormat(QImage::Format_ARGB32);
    const QRgb open = qRgba(255, 0, 255, 0);
    for (int y = 0; y < glyph.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(glyph.scanLine(y));
        for (int x = 0; x < glyph.width(); ++x)
            if (qAlpha(line[x]) == 0)
                line[x] = open;
    }
    return glyph;
}

void TskButton::ActionChange() {
    TskCustomButton::ActionChange();
    // The action's picture is copied into an empty glyph, once: from then on
    // the glyph is the button's own, whatever the action shows later.
    const QAction* action = Action();
    if (!action || !m_glyph.isNull())
        return;
    const QImage glyph = GlyphFromIcon(action->icon());
    if (!glyph.isNull())
        SetGlyph(glyph);
}

void TskButton::UIStyleChanged() {
    SetTransparent(SkinGetBool(FileTheme(), UIStyle(), ThemeKey::ButtonTransparentBool));
}

void TskButton::PaintFace(QPainter& canvas, const QImage& face) {
    canvas.setFont(font());
    DrawStretchedKeepCorners(face, canvas, rect(), m_faceTransparent);
    if (m_glyph.isNull())
        return;
    const QFontMetrics metrics(font());
    const QSize text(metrics.horizontalAdvance(Caption()), metrics.height());
    QSize glyph = m_glyph.size();
    const bool twoImages = IsTwoImageGlyph(glyph);
    if (twoImages)
        glyph.setWidth(glyph.height());
    const GlyphPlacement place = PlaceGlyph(m_layout, size(), text, glyph, Spacing());
    m_captionPos = place.caption;
    QPoint at = place.glyph;
    if (m_mouseDown)
        at += QPoint(1, 1);
    // The top-left pixel names the glyph's transparent colour.
    const QRgb key = m_glyph.pixel(0, 0);
    QImage image;
    if (twoImages)
        image = m_glyph.copy(isEnabled() ? 0 : glyph.width(), 0, glyph.width(), glyph.height());
    else
        image = m_glyph;
    image = MaskedWithKey(image, key);
    if (!twoImages && !isEnabled())
        image = GreyedImage(image);
    canvas.drawImage(at, image);
}

void TskButton::PaintCaption(QPainter& canvas, const QString& caption) {
    if (m_glyph.isNull()) {
        TskCustomButton::PaintCaption(canvas, caption);
        return;
    }
    canvas.setFont(font());
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic;
    if (!isEnabled()) {
        canvas.setPen(QColor(255, 255, 255));
        canvas.drawText(RectLTRB(m_captionPos.x() + 1, m_captionPos.y() + 1, width(), height()),
                        flags, caption);
        canvas.setPen(QColor(0x80, 0x80, 0x80));
    } else {
        canvas.setPen(FontColor());
        if (m_mouseDown)
            m_captionPos += QPoint(1, 1);
    }
    canvas.drawText(RectLTRB(m_captionPos.x(), m_captionPos.y(), width(), height()), flags,
                    caption);
}

void TskButton::PaintFocus(QPainter& canvas) {
    if (SkinStyleList::Has(UIStyle(), &SkinStyle::boldFocusCaption))
        m_boldCaption = true;
    else
        TskCustomButton::PaintFocus(canvas);
}
