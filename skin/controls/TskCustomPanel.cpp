#include "skin/controls/TskCustomPanel.h"

#include "skin/draw/SkinPainting.h"
#include "skin/draw/TskColor.h"

#include <QMouseEvent>
#include <QPainter>

TskCustomPanel::TskCustomPanel(QWidget* parent) : TCustomControl(parent) {
    SetColor(TskColor::ButtonFace);
    SetTabStop(false);
}

QSize TskCustomPanel::AutoSizeRule(AlignLayout::Align align, QSize picture, QSize current) {
    QSize size = current;
    if (align != AlignLayout::alTop && align != AlignLayout::alBottom &&
        align != AlignLayout::alClient)
        size.setWidth(picture.width());
    if (align != AlignLayout::alLeft && align != AlignLayout::alRight &&
        align != AlignLayout::alClient)
        size.setHeight(picture.height());
    return size;
}

Qt::Alignment TskCustomPanel::CaptionFlags(TAlignment alignment) {
    switch (alignment) {
    case TAlignment::taLeftJustify:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case TAlignment::taRightJustify:
        return Qt::AlignRight | Qt::AlignVCenter;
    case TAlignment::taCenter:
        break;
    }
    return Qt::AlignHCenter | Qt::AlignVCenter;
}

void TskCustomPanel::SetPicture(const QImage& picture) {
    m_picture = picture;
    PictureChanged();
    update();
}

void TskCustomPanel::SetDrawStyle(TskDrawStyle style) {
    m_drawStyle = style;
    update();
}

void TskCustomPanel::SetAutoSize(bool on) {
    m_autoSize = on;
    if (!m_picture.isNull())
        applyAutoSize();
}

void TskCustomPanel::SetAlignment(TAlignment alignment) {
    m_alignment = alignment;
    update();
}

void TskCustomPanel::SetBorderWidth(int width) {
    m_borderWidth = qMax(0, width);
    AlignLayout::setClientMargins(
        this, QMargins(m_borderWidth, m_borderWidth, m_borderWidth, m_borderWidth));
    update();
}

void TskCustomPanel::SetTransparent(bool on) {
    m_transparent = on;
    if (!m_picture.isNull())
        matchPictureTransparency();
    update();
}

void TskCustomPanel::PictureChanged() {
    if (!m_picture.isNull()) {
        if (m_autoSize)
            applyAutoSize();
        matchPictureTransparency();
    }
    update();
}

void TskCustomPanel::applyAutoSize() {
    if (!m_autoSize || m_picture.isNull())
        return;
    const QSize wanted = AutoSizeRule(Align(), m_picture.size(), size());
    if (wanted != size())
        resize(wanted);
}

void TskCustomPanel::matchPictureTransparency() {
    m_pictureTransparent = m_transparent;
}

void TskCustomPanel::Paint(QPainter& canvas) {
    if (m_transparent)
        PaintParentBackground(canvas, this);
    if (!m_picture.isNull()) {
        const QImage picture =
            m_pictureTransparent
                ? MaskedWithKey(m_picture, m_picture.pixel(0, m_picture.height() - 1))
                : m_picture;
        switch (m_drawStyle) {
        case TskDrawStyle::skStretch:
            canvas.drawImage(rect(), picture);
            break;
        case TskDrawStyle::skTile:
            TileDraw(canvas, picture, rect());
            break;
        case TskDrawStyle::skNormal:
            canvas.drawImage(0, 0, picture);
            break;
        }
    } else if (!m_transparent) {
        canvas.fillRect(rect(), TskColor::toQColor(EffectiveColor()));
    }
    if (!Caption().trimmed().isEmpty()) {
        canvas.setFont(font());
        canvas.setPen(FontColor());
        canvas.drawText(rect(), CaptionFlags(m_alignment) | Qt::TextSingleLine, Caption());
        m_captionRect = rect();
    }
}

void TskCustomPanel::CaptionChanged() {
    CaptionChanged(m_captionRect);
}

void TskCustomPanel::mousePressEvent(QMouseEvent* event) {
    emit OnMouseDown(this);
    m_pressed = event->button() == Qt::LeftButton;
}

void TskCustomPanel::mouseReleaseEvent(QMouseEvent* event) {
    emit OnMouseUp(this);
    if (event->button() == Qt::LeftButton && m_pressed &&
        rect().contains(event->position().toPoint()))
        emit OnClick(this);
    m_pressed = false;
}

void TskCustomPanel::mouseMoveEvent(QMouseEvent*) {
    emit OnMouseMove(this);
}

void TskCustomPanel::mouseDoubleClickEvent(QMouseEvent*) {
    m_pressed = false;
    emit OnDblClick(this);
}
