#pragma once

#include "skin/controls/TskStyledControl.h"

#include <QPointer>

class QAction;
class QTimer;

// The push button's behaviour: pressed / mouse-over / normal state, the
// repeat timer while the left button is held, keyboard presses, default and
// cancel buttons, accelerators, the modal result, and the paint pipeline
// that picks the skin frame for the state.
class TskCustomButton : public TskStyledControl {
    Q_OBJECT
    Q_PROPERTY(TBiDiMode BiDiMode READ BiDiMode WRITE SetBiDiMode)
    Q_PROPERTY(AlignLayout::Anchors Anchors READ Anchors WRITE SetAnchors)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(QFont Font READ font WRITE setFont)
    Q_PROPERTY(TskPopupMenu* PopupMenu READ PopupMenu WRITE SetPopupMenu)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
    Q_PROPERTY(bool ParentBiDiMode READ ParentBiDiMode WRITE SetParentBiDiMode)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)

public:
    explicit TskCustomButton(QWidget* parent = nullptr);
    ~TskCustomButton() override;

    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool on);
    bool Cancel() const { return m_cancel; }
    void SetCancel(bool on) { m_cancel = on; }
    bool Default() const { return m_default; }
    void SetDefault(bool on);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool on);
    int ModalResult() const { return m_modalResult; }
    void SetModalResult(int value) { m_modalResult = value; }
    int MouseContinuouslyDownInterval() const { return m_repeatInterval; }
    void SetMouseContinuouslyDownInterval(int ms) { m_repeatInterval = ms; }
    int FocusedRectMargin() const { return m_focusedRectMargin; }
    void SetFocusedRectMargin(int margin);
    void SetEnabled(bool on);

    // The linked action: the button shows its caption, enabled state, hint
    // and visibility, follows its later changes, and a click triggers it.
    // What the button is given of its own after the link holds until the
    // action next changes. An empty glyph takes the action's picture once.
    // The link ends when the action is destroyed.
    QAction* Action() const { return m_action; }
    void SetAction(QAction* action);

    // The click: ends a press, hands ModalResult to the form, fires OnClick.
    virtual void Click();

    bool MouseIn() const { return m_mouseIn; }
    bool MouseDown() const { return m_mouseDown; }
    // Whether the button answers Return for the window just now.
    bool Active() const { return m_active; }
    bool FaceTransparent() const { return m_faceTransparent; }

    // The frame of the three-frame strip an enabled button shows: pressed
    // over mouse-over over normal; a disabled button shows the normal one.
    static int FaceFrameIndex(bool enabled, bool mouseDown, bool mouseIn);
    // Where a centred caption of the measured size is drawn inside R.
    static QRect CenteredCaptionRect(const QRect& r, QSize measured);

signals:
    void OnMouseEnter(QObject* Sender);
    void OnMouseExit(QObject* Sender);
    void OnMouseContinuouslyDown(QObject* Sender);

protected:
    virtual void UpdateAutoSize();
    virtual void FontChanged();
    virtual void TransparentChanged();
    virtual void EnabledChanged() {}
    // Copies the linked action's state onto the button.
    virtual void ActionChange();
    virtual void PaintFace(QPainter& canvas, const QImage& face);
    virtual void PaintCaption(QPainter& canvas, const QString& caption);
    virtual void PaintFocus(QPainter& canvas);
    // Each fills Bitmap with its frame of the button strip; false when
    // getting it failed with an error.
    virtual bool LoadPicNormal(QImage& bitmap);
    virtual bool LoadPicMouseOn(QImage& bitmap);
    virtual bool LoadPicMouseDown(QImage& bitmap);
    virtual bool LoadPicDisabled(QImage& bitmap);

    void Paint(QPainter& canvas) override;
    void CaptionChanged() override {}
    void AfterLoad() override;
    bool DialogKey(QKeyEvent* event) override;
    bool DialogChar() override;

    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

    bool m_boldCaption = false;
    bool m_faceTransparent = false;
    bool m_mouseIn = false;
    bool m_mouseDown = false;

private:
    // Frame Frame of the button strip; false when it could not be read.
    bool loadFace(QImage& bitmap, int frame) const;
    void stopRepeat();
    // The pointer came over the button / went off it (also while held,
    // when the toolkit sends no crossing events).
    void pointerEntered();
    void pointerLeft();
    void updateActive(QWidget* focused);

    bool m_autoSize = false;
    bool m_cancel = false;
    bool m_default = false;
    bool m_transparent = false;
    int m_modalResult = 0;
    int m_repeatInterval = 100;
    int m_focusedRectMargin = 2;
    bool m_active = false;
    bool m_clickPending = false;
    QPointer<QTimer> m_timer;
    QPointer<QAction> m_action;
    QMetaObject::Connection m_actionChanged;
};
