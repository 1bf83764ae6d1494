#pragma once

// The skinned caption strip: section images, window buttons, the control box
// or application icon and the caption, drawn in the style or a file theme;
// it drags its window, maximizes on a double click, runs the buttons and
// opens the system menu. A skinned form creates one along its top edge; it
// also works on an ordinary window.
//
// What it asks of the window it sits on (through SkinFormInterface):
//   - whether its parent is a skinned form (IsSkinForm);
//   - the width of the form's side-border image, from GetSideBorderWidth()
//     of the skinned form carrying the window (0 on any other window);
//   - maximize, restore, minimize and close act on the window itself.

#include "skin/form/TskTitleBarButtons.h"
#include "skin/form/TskTitleBarSections.h"
#include "skin/theme/SkinThemeUser.h"
#include "skin/theme/SkinThemes.h"
#include "skin/theme/TskFileTheme.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

class TskTitleBarPopupMenu;

class TskTitleBar : public QWidget, public SkinThemeUser {
    Q_OBJECT
    Q_INTERFACES(SkinThemeUser)
    Q_PROPERTY(bool Custom READ Custom WRITE SetCustom)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(TskTitleBarSections* Sections READ Sections)
    Q_PROPERTY(TskTitleBarButtons* Buttons READ Buttons)
    Q_PROPERTY(int ButtonInterval READ ButtonInterval WRITE SetButtonInterval)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(int FontColor READ FontColor WRITE SetFontColor)
    Q_PROPERTY(bool FormActive READ FormActive WRITE SetFormActive)
    Q_PROPERTY(int LeftBtnXOffset READ LeftBtnXOffset WRITE SetLeftBtnXOffset)
    Q_PROPERTY(int RightBtnXOffset READ RightBtnXOffset WRITE SetRightBtnXOffset)
    Q_PROPERTY(bool DrawAppIcon READ DrawAppIcon WRITE SetDrawAppIcon)
    Q_PROPERTY(int RoundCorner READ RoundCorner WRITE SetRoundCorner)
    Q_PROPERTY(int RoundCornerBottom READ RoundCornerBottom WRITE SetRoundCornerBottom)

public:
    // Where the buttons, the control box and the caption go in a bar of a
    // given width; the same rectangles serve painting and hit testing.
    struct ButtonSlot {
        bool visible = true;
        bool controlBox = false;
        QSize size; // PicNormal's size
    };
    struct Layout {
        std::vector<QRect> rects; // per button; empty for hidden ones
        int controlBox = -1;      // index of the control box, -1 without
        QPoint controlBoxDraw;    // where its picture (or the icon) is drawn
        int captionLeft = 0;      // leftX after the control box
        int rightEdge = 0;        // left edge of the leftmost right-hand button
    };
    struct LayoutInput {
        int barWidth = 0;
        int sideBorderWidth = 0;
        int leftBtnXOffset = 0;
        int rightBtnXOffset = 0;
        int buttonInterval = 0;
        int rowTop = 0;
        bool drawAppIcon = false;
    };

    explicit TskTitleBar(QWidget* parent = nullptr);
    ~TskTitleBar() override;

    bool Custom() const { return m_custom; }
    void SetCustom(bool value) { m_custom = value; }
    TskFileTheme* FileTheme() const override { return m_fileTheme; }
    void SetFileTheme(TskFileTheme* theme) override;
    TskUIStyle UIStyle() const { return m_uiStyle; }
    void SetUIStyle(TskUIStyle value);
    bool AutoSize() const { return m_autoSize; }
    // Whatever the value, the height follows section 0's picture (3 less on
    // a skinned form); with no sections AutoSize reads false.
    void SetAutoSize(bool value);
    TskTitleBarSections* Sections() const { return m_sections; }
    TskTitleBarButtons* Buttons() const { return m_buttons; }
    int ButtonInterval() const { return m_buttonInterval; }
    void SetButtonInterval(int value) { storeAndRepaint(m_buttonInterval, value); }
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& value) { storeAndRepaint(m_caption, value); }
    // The caption colour (0x00BBGGRR) while the form is active.
    int FontColor() const { return m_fontColor; }
    void SetFontColor(int value) { storeAndRepaint(m_fontColor, value); }
    bool FormActive() const { return m_formActive; }
    void SetFormActive(bool value) { storeAndRepaint(m_formActive, value); }
    int LeftBtnXOffset() const { return m_leftBtnXOffset; }
    void SetLeftBtnXOffset(int value) { storeAndRepaint(m_leftBtnXOffset, value); }
    int RightBtnXOffset() const { return m_rightBtnXOffset; }
    void SetRightBtnXOffset(int value) { storeAndRepaint(m_rightBtnXOffset, value); }
    bool DrawAppIcon() const { return m_drawAppIcon; }
    void SetDrawAppIcon(bool value) { storeAndRepaint(m_drawAppIcon, value); }
    // Read by the form's window region; stored only.
    int RoundCorner() const { return m_roundCorner; }
    void SetRoundCorner(int value) { m_roundCorner = value; }
    int RoundCornerBottom() const { return m_roundCornerBottom; }
    void SetRoundCornerBottom(int value) { m_roundCornerBottom = value; }

    TskTitleBarPopupMenu* SystemMenu() const { return m_systemMenu; }
    // The system menu at the window's top-left corner plus the bar's height,
    // as Alt+Space opens it.
    void PopupSystemMenuAtForm();

    // The window the bar acts on (null for a bar without a parent).
    QWidget* ParentForm() const;
    // The bar's parent is a skinned form: its 3-pixel frame holds the top
    // rows of the section images.
    bool InSkinForm() const;
    // The skinned form's answer about its side-border image; 0 elsewhere.
    int SideBorderWidth() const;
    bool IsRightToLeft() const;

    // For every maximize button, the maximize or restore pictures.
    void UpdateMaxButtons();

    // For the form's frame: section pictures by position (null past the
    // end), and whether the bar has exactly the three standard sections.
    QImage SectionPicture(int index) const;
    bool HasStandardSections() const;

    int HotButton() const { return m_hotButton; }
    bool Pressed() const { return m_pressed; }
    int ButtonImageHeight() const { return m_buttonImageHeight; }
    int ButtonRowTop() const { return m_buttonRowTop; }
    Layout CurrentLayout() const;

    // ---- window actions shared by the buttons and the system menu ----
    // Maximizes a normal window, restores a maximized one.
    static void ToggleMaximized(QWidget* form);
    // The main form minimizes the whole application; any other only itself.
    static void MinimizeForm(QWidget* form);
    // A screen point left of the screen's origin is moved to x = 0.
    static QPoint ClampScreenX(QPoint point);

    // ---- pure rules ----
    static Layout ComputeLayout(const LayoutInput& input, const std::vector<ButtonSlot>& buttons);
    // The button under Point: hidden buttons never, later buttons win a
    // shared edge, the control box last; -1 for none.
    static int HitTest(const Layout& layout, QPoint point);
    // The caption when it fits Room, else its longest prefix that fits with
    // "..." appended, and "..." alone when nothing does.
    static QString FitCaption(const QString& caption, int room,
                              const std::function<int(const QString&)>& textWidth);
    // The caption colour from the style or theme: a built-in style's own
    // TitleBarFontColor (black for MacOS, white for the others); with a theme
    // its TitleBarFontColor, or when that is missing (-1) black for the theme
    // family markers 1, 3, 4 and 5 (ThemeFamilyMarker) and white else; white
    // without a usable theme.
    static qint32 StyleFontColor(TskUIStyle uiStyle, bool usingTheme, qint32 themeTitleBarFontColor,
                                 qint32 themeControlFontColor);

signals:
    void OnCustomBtnsClick(QObject* sender, int buttonIndex);
    void OnHelpBtnClick(QObject* sender, int buttonIndex);
    void OnResize(QObject* sender);

protected:
    virtual void DrawSections(QImage& bitmap);
    virtual void DrawButtons(QImage& bitmap);
    // Arms the bar at a press (at PressGlobal) on its empty part: at the
    // first motion with the button held, the window goes to the window
    // system's move, or, when that has no move to offer, follows the pointer
    // by the bar's own hand.
    virtual void StartWindowDrag(QPoint pressGlobal);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <class T, class V> void storeAndRepaint(T& field, const V& value) {
        field = value;
        update();
    }
    void updateHot();
    // A press that reaches the open system menu; true when it was the second
    // click of a double click on the control box.
    bool systemMenuPress(QMouseEvent* event);
    void watchForm();
    std::vector<ButtonSlot> buttonSlots() const;
    QImage appIcon() const;

    TskUIStyle m_uiStyle = TskUIStyle::DeepBlue;
    QPointer<TskFileTheme> m_fileTheme;
    TskTitleBarSections* m_sections = nullptr;
    TskTitleBarButtons* m_buttons = nullptr;
    bool m_autoSize = false;
    int m_buttonInterval = 0;
    QString m_caption;
    int m_fontColor = 0x00FFFFFF;
    bool m_formActive = true;
    int m_leftBtnXOffset = 0;
    int m_rightBtnXOffset = 0;
    int m_roundCorner = 0;
    int m_roundCornerBottom = 0;
    bool m_drawAppIcon = false;
    bool m_applyingTheme = false;
    TskTitleBarPopupMenu* m_systemMenu = nullptr;
    bool m_custom = false;
    bool m_pressed = false;
    int m_hotButton = -1;
    int m_buttonImageHeight = 0;
    int m_buttonRowTop = 0;

    std::optional<QPoint> m_mouse; // last known mouse position in the bar
    bool m_dragArmed = false;      // a press on an empty part may move the window
    bool m_manualDrag = false;     // past the drag distance, no system move: the bar moves it
    QPoint m_pressGlobal;
    QPoint m_formStart;
    QPointer<QWidget> m_watchedForm;
    // The control box's last click opened the system menu: where the box
    // was on the screen and when the click ended, so that a second click on
    // it, which lands on the open menu, makes the double click that closes
    // the window.
    QRect m_boxOnScreen;
    quint64 m_boxClickTime = 0;
};
