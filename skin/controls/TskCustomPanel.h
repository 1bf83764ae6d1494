#pragma once

#include "component/AlignLayout.h"
#include "skin/controls/TCustomControl.h"

#include <QImage>
#include <QRect>
#include <vector>

// A container that paints a picture (as is, stretched or tiled) or its
// colour, optionally over whatever its parent shows behind it, with an
// optional one-line caption. Bevels are never drawn.
class TskCustomPanel : public TCustomControl {
    Q_OBJECT

public:
    explicit TskCustomPanel(QWidget* parent = nullptr);

    QImage Picture() const { return m_picture; }
    // Copies the picture in; PictureChanged follows, then a repaint.
    void SetPicture(const QImage& picture);
    bool Transparent() const { return m_transparent; }
    TskDrawStyle DrawStyle() const { return m_drawStyle; }
    void SetDrawStyle(TskDrawStyle style);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool on);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment alignment);
    AlignLayout::Align Align() const { return AlignLayout::align(this); }
    void SetAlign(AlignLayout::Align align) { AlignLayout::setAlign(this, align); }
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int width);

    // Whether the picture draws with its lower-left colour see-through; it
    // follows Transparent.
    bool PictureTransparent() const { return m_pictureTransparent; }
    QRect LastCaptionRect() const { return m_captionRect; }

    // The auto-size rule: the picture's width unless the alignment fixes the
    // width (top, bottom, client), its height unless the alignment fixes the
    // height (left, right, client).
    static QSize AutoSizeRule(AlignLayout::Align align, QSize picture, QSize current);
    static Qt::Alignment CaptionFlags(TAlignment alignment);

protected:
    virtual void CaptionChanged(const QRect& lastCaptionRect) { Q_UNUSED(lastCaptionRect); }
    virtual void PictureChanged();
    virtual void SetTransparent(bool on);

    void Paint(QPainter& canvas) override;
    void CaptionChanged() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void applyAutoSize();
    void matchPictureTransparency();

    QImage m_picture;
    bool m_transparent = false;
    bool m_autoSize = false;
    TskDrawStyle m_drawStyle = TskDrawStyle::skNormal;
    TAlignment m_alignment = TAlignment::taCenter;
    int m_borderWidth = 0;
    bool m_pictureTransparent = false;
    bool m_pressed = false;
    QRect m_captionRect;
};
