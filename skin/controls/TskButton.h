#pragma once

#include "skin/controls/TskCustomButton.h"

#include <QAction>
#include <QIcon>

// The skinned push button: the style's face stretched with kept corners, an
// optional glyph (one image, or two side by side for enabled and disabled)
// placed by Layout, and the style's focus mark (a bold caption for MacOS and
// BlueGlass, a dotted rectangle otherwise).
class TskButton : public TskCustomButton {
    Q_OBJECT
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(bool Cancel READ Cancel WRITE SetCancel)
    Q_PROPERTY(bool Default READ Default WRITE SetDefault)
    Q_PROPERTY(QAction* Action READ Action WRITE SetAction)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE SetEnabled)
    Q_PROPERTY(int TabOrder READ TabOrder WRITE SetTabOrder)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(int ModalResult READ ModalResult WRITE SetModalResult)
    Q_PROPERTY(int FocusedRectMargin READ FocusedRectMargin WRITE SetFocusedRectMargin)
    Q_PROPERTY(QImage Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(TButtonLayout Layout READ Layout WRITE SetLayout)
    Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing)
    Q_PROPERTY(int MouseContinuouslyDownInterval READ MouseContinuouslyDownInterval WRITE
                   SetMouseContinuouslyDownInterval)
    Q_PROPERTY(uint ResHandle READ ResHandle WRITE SetResHandle)

public:
    explicit TskButton(QWidget* parent = nullptr);

    QImage Glyph() const { return m_glyph; }
    // The look writers repaint only when the value really changes.
    void SetGlyph(const QImage& glyph);
    TButtonLayout Layout() const { return m_layout; }
    void SetLayout(TButtonLayout layout);
    int Spacing() const { return m_spacing; }
    void SetSpacing(int spacing);
    // Kept for stored layouts; it names nothing here.
    uint ResHandle() const { return 0; }
    void SetResHandle(uint) {}

    QPoint CaptionPos() const { return m_captionPos; }

    struct GlyphPlacement {
        QPoint glyph;
        QPoint caption;
    };
    // Glyph and caption positions in a button of Button size; Glyph is the
    // size of one glyph image.
    static GlyphPlacement PlaceGlyph(TButtonLayout layout, QSize button, QSize text, QSize glyph,
                                     int spacing);
    // The glyph an action's icon gives: its 16 x 16 picture, with the pixels
    // the icon leaves fully open in the key colour so the glyph's
    // transparent colour (its top-left pixel) is the open background.
    static QImage GlyphFromIcon(const QIcon& icon);
    // A glyph twice as wide as high holds two square images.
    static bool IsTwoImageGlyph(QSize glyph) {
        return glyph.height() > 0 && glyph.width() == 2 * glyph.height();
    }

protected:
    void UIStyleChanged() override;
    // Also takes the action's icon as the glyph when the button has no
    // glyph of its own.
    void ActionChange() override;
    void PaintFace(QPainter& canvas, const QImage& face) override;
    void PaintCaption(QPainter& canvas, const QString& caption) override;
    void PaintFocus(QPainter& canvas) override;

private:
    QImage m_glyph;
    TButtonLayout m_layout = TButtonLayout::blGlyphLeft;
    QPoint m_captionPos;
    int m_spacing = 4;
};
