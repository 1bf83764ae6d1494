#pragma once

#include "skin/controls/TskStyledControl.h"

// The skinned check box: a box from a four-frame strip (checked / unchecked,
// enabled / disabled) with the caption beside it. OnClick reports changes of
// Checked, never a change made while the layout is loaded.
class TskCheckBox : public TskStyledControl {
    Q_OBJECT
    Q_PROPERTY(TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(TBiDiMode BiDiMode READ BiDiMode WRITE SetBiDiMode)
    Q_PROPERTY(AlignLayout::Anchors Anchors READ Anchors WRITE SetAnchors)
    Q_PROPERTY(TskPopupMenu* PopupMenu READ PopupMenu WRITE SetPopupMenu)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
    Q_PROPERTY(bool ParentBiDiMode READ ParentBiDiMode WRITE SetParentBiDiMode)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QFont Font READ font WRITE setFont)
    Q_PROPERTY(qint32 Color READ Color WRITE SetColor)
    Q_PROPERTY(int TabOrder READ TabOrder WRITE SetTabOrder)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(TCheckBoxState State READ State WRITE SetState)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)

public:
    explicit TskCheckBox(QWidget* parent = nullptr);

    bool Checked() const { return m_checked; }
    // A change is stored, shown, then reported through CheckedChanged.
    void SetChecked(bool on);
    TCheckBoxState State() const;
    // cbGrayed has no look of its own: it unchecks.
    void SetState(TCheckBoxState state);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool on);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool on);

    // What a click does: Toggle.
    virtual void Click();

    // Frame of the four-frame strip: checked, unchecked, checked disabled,
    // unchecked disabled.
    static int BoxFrameIndex(bool checked, bool enabled);
    // The auto-size rule: room for the box and the caption.
    static QSize AutoSizeFor(QSize image, int textHeight, int captionWidth);

    struct BoxLayout {
        QPoint image;
        QRect caption; // left, top inclusive; right, bottom exclusive
        QRect focus;
        Qt::Alignment captionAlign;
    };
    static BoxLayout LayOut(QSize client, QSize image, int textHeight, bool rightToLeft);

    // The box image this control shows now.
    QImage BoxImage() const;

protected:
    virtual bool NeedFocusRect() const;
    virtual bool IsImageTransparent() const { return false; }
    virtual TskThemeKey GetImageKey() const { return ThemeKey::CheckBoxImage; }
    virtual void CheckedChanged();
    virtual void BeforeToggle() {}
    virtual void Toggle();
    virtual bool ToggleOnKey() const { return true; }

    void Paint(QPainter& canvas) override;
    void PrepareSize() override { applyAutoSize(); }
    void CaptionChanged() override;
    void AfterLoad() override;
    void UIStyleChanged() override;
    bool DialogChar() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

    bool m_pressed = false;

private:
    void applyAutoSize();

    bool m_checked = false;
    bool m_transparent = false;
    bool m_autoSize = true;
};
