#pragma once

#include "component/AlignLayout.h"
#include "skin/controls/SkinControlTypes.h"
#include "skin/menus/TskPopupMenu.h"

#include <QPointer>
#include <QWidget>
#include <vector>

class QKeyEvent;
class QPainter;

// The ground of every skinned control: a child window that composes each
// paint in one off-screen image and copies it in one go (no background
// erase, so nothing flickers), with the caption, colour, font and reading
// order plumbing the skinned controls share, and the window-wide dialog keys
// (Return, Escape, Alt + accelerator) routed to the controls that answer them.
class TCustomControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)

public:
    explicit TCustomControl(QWidget* parent = nullptr);
    ~TCustomControl() override;

    QString Caption() const { return m_caption; }
    // Stores the text, runs CaptionChanged, repaints.
    void SetCaption(const QString& caption);

    // 0x00BBGGRR or a system colour; ParentColor takes the parent's instead.
    qint32 Color() const { return m_color; }
    void SetColor(qint32 color);
    bool ParentColor() const { return m_parentColor; }
    void SetParentColor(bool on);
    // The colour the control fills with: its own, or the parent's when
    // ParentColor is set (the parent's Color property, else its palette).
    qint32 EffectiveColor() const;

    bool ParentFont() const { return !testAttribute(Qt::WA_SetFont); }
    void SetParentFont(bool on);

    TBiDiMode BiDiMode() const { return m_biDiMode; }
    void SetBiDiMode(TBiDiMode mode);
    bool ParentBiDiMode() const { return m_parentBiDiMode; }
    void SetParentBiDiMode(bool on);
    // Right-to-left drawing: bdRightToLeft on a Middle-East system locale only.
    bool UseRightToLeftLayout() const;

    // The hint is the control's tool tip, shown while ShowHint holds.
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& hint) { setToolTip(hint); }
    // With ParentShowHint the nearest ancestor that has a ShowHint of its
    // own decides (a window without one lets hints show); setting ShowHint
    // gives the control its own value and ends the inheritance.
    bool ShowHint() const;
    void SetShowHint(bool on);
    bool ParentShowHint() const { return m_parentShowHint; }
    void SetParentShowHint(bool on);

    // The menu a context-menu request (right click, the menu key) opens;
    // without one the request goes on to the parent.
    TskPopupMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(TskPopupMenu* menu) { m_popupMenu = menu; }

    // The control's own shown flag, whether or not its parent is shown yet.
    bool Visible() const;
    void SetVisible(bool on) { setVisible(on); }

    // The control's place in its parent's tab order (-1 without a parent).
    int TabOrder() const;
    void SetTabOrder(int order);

    // The parent's edges the control keeps its distance to as the parent
    // resizes; [akLeft, akTop] keeps it where it is.
    AlignLayout::Anchors Anchors() const { return AlignLayout::anchors(this); }
    void SetAnchors(AlignLayout::Anchors anchors) { AlignLayout::setAnchors(this, anchors); }

    bool TabStop() const { return focusPolicy() & Qt::TabFocus; }
    void SetTabStop(bool on);

    // Enabled and shown: the control may take the focus.
    bool CanFocus() const;
    // True while the stored layout is still being applied to the control.
    bool IsLoading() const;

    // Called by the layout loader once every stored value is in place.
    Q_INVOKABLE void Loaded();

    // Which system locale counts as Middle-Eastern; tests pin it.
    static void SetMiddleEastOverride(int value); // -1 asks the system

signals:
    void OnClick(QObject* Sender);
    void OnDblClick(QObject* Sender);
    void OnEnter(QObject* Sender);
    void OnExit(QObject* Sender);
    void OnMouseDown(QObject* Sender);
    void OnMouseMove(QObject* Sender);
    void OnMouseUp(QObject* Sender);
    void OnKeyDown(QObject* Sender);
    void OnKeyUp(QObject* Sender);
    void OnKeyPress(QObject* Sender);
    void OnResize(QObject* Sender);

protected:
    // The writer rule of every look-changing property: store and repaint,
    // and do neither when the value is the one already held.
    template <typename T> void assignAndRepaint(T& field, const T& value) {
        if (field == value)
            return;
        field = value;
        update();
    }

    // Draws the whole control into Canvas, an image of the control's size.
    virtual void Paint(QPainter& canvas) = 0;
    // Runs before the off-screen image is made: the last chance to resize.
    virtual void PrepareSize() {}
    virtual void CaptionChanged() {}
    virtual void AfterLoad() {}
    // A key nobody in the window took (CM_DIALOGKEY); true when handled.
    virtual bool DialogKey(QKeyEvent* event);
    // Alt + the caption's "&" character was typed in the window
    // (CM_DIALOGCHAR); true when handled.
    virtual bool DialogChar();

    // What lies behind the control when Transparent, else EffectiveColor.
    void PaintBackground(QPainter& canvas, bool transparent) const;
    // Takes the focus when the control may; a refusal is of no consequence.
    void TakeFocus();
    // The colour captions are written in.
    QColor FontColor() const;

    // The system's dotted focus rectangle: every other pixel of the outline
    // of R inverted, so drawing it twice restores the picture.
    static std::vector<QPoint> FocusRectPixels(const QRect& r);
    static void DrawFocusRect(QPainter& canvas, const QRect& r);
    // The toolkit's disabled (greyed) look of an image.
    static QImage GreyedImage(const QImage& image);

    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void watchWindow();

    QString m_caption;
    bool m_showHint = false;
    bool m_parentShowHint = true;
    qint32 m_color;
    bool m_parentColor = true;
    TBiDiMode m_biDiMode = TBiDiMode::bdLeftToRight;
    bool m_parentBiDiMode = true;
    QPointer<QWidget> m_keyWindow;
    QPointer<TskPopupMenu> m_popupMenu;
    int m_accelerator = 0;
};
