#pragma once

// The skinned form: a panel dropped on a top-level window that gives the
// whole window its skinned look. It fills the window inside a 3-pixel ring,
// carries the title bar along its top edge and, while a main menu is
// assigned, a menu bar below it; it makes the window frameless, paints the
// ring itself (the window's outer 3 pixels play the native frame), cuts the
// rounded corners with a window mask and watches the window's activation,
// size and state so the skin stays consistent. Every other control of the
// window is a child of this panel.
//
// A TskForm whose parent is not a top-level window is a plain panel: no title
// bar, no hooks. Qt has no MDI frame of the classic kind, so there are no MDI
// children here and no menu bar is ever withheld for one.

#include "skin/controls/SkinControlTypes.h"
#include "skin/form/SkinFormBorder.h"
#include "skin/menus/TskPopupMenu.h"
#include "skin/theme/SkinFormInterface.h"
#include "skin/theme/SkinThemeUser.h"
#include "skin/theme/SkinThemes.h"
#include "skin/theme/TskFileTheme.h"

#include <QFont>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QRect>
#include <QVariant>
#include <QWidget>

class QKeyEvent;
class QMouseEvent;

class TskMenuBar;
class TskTitleBar;

class TskForm : public QWidget, public SkinFormInterface, public SkinThemeUser {
    Q_OBJECT
    Q_INTERFACES(SkinFormInterface SkinThemeUser)
    Q_PROPERTY(bool TitleBarCustom READ TitleBarCustom WRITE SetTitleBarCustom)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(bool UIStyleAutoUpdateSub READ UIStyleAutoUpdateSub WRITE SetUIStyleAutoUpdateSub)
    Q_PROPERTY(int BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(bool TitleBarVisible READ TitleBarVisible WRITE SetTitleBarVisible)
    Q_PROPERTY(TBiDiMode BiDiMode READ BiDiMode WRITE SetBiDiMode)
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QWidget* FormPanel READ FormPanel WRITE SetFormPanel)
    // Read: the title bar's collection; write: another collection to copy,
    // or the items of a stored layout.
    Q_PROPERTY(QVariant TitleBarButtons READ TitleBarButtons WRITE SetTitleBarButtons)
    Q_PROPERTY(QVariant TitleBarSections READ TitleBarSections WRITE SetTitleBarSections)
    Q_PROPERTY(bool TitleBarDrawAppIcon READ TitleBarDrawAppIcon WRITE SetTitleBarDrawAppIcon)
    // The caption font; the controls on the form keep their own fonts.
    Q_PROPERTY(QFont Font READ Font WRITE SetFont)
    Q_PROPERTY(int FontColor READ FontColor WRITE SetFontColor)
    Q_PROPERTY(QMenu* Menu READ Menu WRITE SetMenu)
    Q_PROPERTY(int MenuBarColor READ MenuBarColor WRITE SetMenuBarColor)
    Q_PROPERTY(int MenuBarHeight READ MenuBarHeight WRITE SetMenuBarHeight)
    Q_PROPERTY(int RoundCorner READ RoundCorner WRITE SetRoundCorner)
    Q_PROPERTY(int RoundCornerBottom READ RoundCornerBottom WRITE SetRoundCornerBottom)
    Q_PROPERTY(TskPopupMenu* PopupMenu READ PopupMenu WRITE SetPopupMenu)
    Q_PROPERTY(QString Version READ Version WRITE SetVersion)

public:
    static constexpr int kMinWidth = 125;
    static constexpr int kMinHeight = 50;

    // Throws TskSkinError when the window already carries a skinned form.
    explicit TskForm(QWidget* parent = nullptr);
    ~TskForm() override;

    bool TitleBarCustom() const;
    void SetTitleBarCustom(bool value);
    TskFileTheme* FileTheme() const override { return m_fileTheme; }
    void SetFileTheme(TskFileTheme* theme) override;
    TskUIStyle UIStyle() const override { return m_uiStyle; }
    // Colours, border, corners, side and bottom border images, title bar,
    // menu and, on request, the children, from the style or the theme.
    void SetUIStyle(TskUIStyle value);
    bool UIStyleAutoUpdateSub() const { return m_autoUpdateSub; }
    void SetUIStyleAutoUpdateSub(bool value) { m_autoUpdateSub = value; }
    int BorderColor() const { return m_borderColor; }
    void SetBorderColor(int value);
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int value);
    bool TitleBarVisible() const;
    void SetTitleBarVisible(bool value);
    // The reading order of the form and, through it, of the title bar and
    // the controls that take their parent's.
    TBiDiMode BiDiMode() const { return m_biDiMode; }
    void SetBiDiMode(TBiDiMode mode);
    int Color() const { return m_color; }
    void SetColor(int value);
    QString Caption() const;
    void SetCaption(const QString& value);
    QWidget* FormPanel() const { return m_formPanel; }
    void SetFormPanel(QWidget* panel);
    QVariant TitleBarButtons() const;
    void SetTitleBarButtons(const QVariant& value);
    QVariant TitleBarSections() const;
    void SetTitleBarSections(const QVariant& value);
    bool TitleBarDrawAppIcon() const;
    void SetTitleBarDrawAppIcon(bool value);
    QFont Font() const;
    void SetFont(const QFont& font);
    int FontColor() const;
    void SetFontColor(int value);
    QMenu* Menu() const { return m_menu; }
    void SetMenu(QMenu* menu) override;
    int MenuBarColor() const { return m_menuBarColor; }
    void SetMenuBarColor(int value);
    int MenuBarHeight() const { return m_menuBarHeight; }
    void SetMenuBarHeight(int value);
    int RoundCorner() const;
    void SetRoundCorner(int value);
    int RoundCornerBottom() const;
    void SetRoundCornerBottom(int value);
    // The menu a context-menu request on the panel opens.
    TskPopupMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(TskPopupMenu* menu) { m_popupMenu = menu; }
    QString Version() const { return QStringLiteral("5.8"); }
    void SetVersion(const QString&) {}

    TskTitleBar* TitleBar() const { return m_titleBar; }
    TskMenuBar* MenuBar() const { return m_menuBar; }
    // The window this form took over; null for a plain panel.
    QWidget* OwnerForm() const override { return m_owner; }
    int GetTitleBarHeight() const;
    // The side-border image's width, 0 with the built-in styles.
    int GetSideBorderWidth() const override;
    int BottomBorderHeight() const { return m_bottomBorderHeight; }
    QImage SideBorderImage() const { return m_sideBorderImage; }

    // ---- frame and region ----
    // Where the skinned window lies, in the window's own coordinates: the
    // window itself, or, while a window manager or compositor holds it
    // maximized over the work area, the maximized bounds of that area
    // (MaximizedBounds), reaching past the window's edges.
    QRect SkinRect() const;
    // What the frame is painted from, read now.
    SkinFormBorder::Input FrameInput() const;
    // Repaints the ring around the panel.
    void PaintFormBorder();
    // The window mask from the window's size and the corner sizes.
    void SetFormRegion();
    QRegion FormRegion() const { return m_region; }
    // The file theme reloaded its file: the form applies its style again.
    void RefreshFrame() override;

    // ---- menu bar ----
    void CreateMenuBar();
    void DestroyMenuBar();
    void UpdateMenuBar() override;
    void UpdateMenuBarItems() override;
    void UpdateMenuBarFont() override;
    // Runs the menu item the key is a shortcut of, only while the window is
    // active; true when one ran.
    bool MenuShortCut(const QKeyEvent* key);

    // ---- window rules ----
    // A maximized window covers the work area with its frame pushed off the
    // screen on the left, top and right, and stops 1 pixel short of the bottom.
    static QRect MaximizedBounds(const QRect& workArea);
    // The window can be resized by its edges: not while maximized or full
    // screen, nor with a fixed border (a BorderStyle other than bsSizeable
    // or bsSizeToolWin, or a minimum size equal to the maximum).
    bool EdgesResizable() const;
    // Alt+Space, as the keyboard gives it.
    static bool IsSystemMenuKey(const QKeyEvent* key);
    // Every key press of the application passes here first: Alt+Space opens
    // the system menu, a menu shortcut runs its item; true when used up.
    bool ApplicationKeyEvent(QObject* receiver, QKeyEvent* key);

signals:
    void OnTitleBarCustomBtnsClick(QObject* sender, int buttonIndex);
    void OnTitleBarHelpBtnClick(QObject* sender, int buttonIndex);
    // The mouse on the panel itself (not on the controls it holds).
    void OnMouseDown(QObject* sender);
    void OnMouseMove(QObject* sender);
    void OnClick(QObject* sender);
    void OnMouseUp(QObject* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void takeOver();
    void releaseOwner();
    void keepFrameless();
    void applyClientMargins();
    void ownerStateChanged(Qt::WindowStates oldState);
    // Edge resizing on the ring; true when the event was used up.
    bool ringMouseEvent(QMouseEvent* event);
    void applyMaximizedBounds();
    void paintOwner();
    void themeGone();
    void menuGone();
    void applyCollection(const QVariant& value, bool buttons);
    void restackBars();

    QPointer<QWidget> m_owner;
    TskTitleBar* m_titleBar = nullptr;
    TskMenuBar* m_menuBar = nullptr;
    QPointer<QMenu> m_menu;
    QImage m_sideBorderImage;
    QImage m_sideBorderImageTurned;
    QImage m_bottomBorderImage;
    int m_bottomBorderHeight = 0;
    int m_borderColor = 0;
    QPointer<QWidget> m_formPanel;
    int m_borderWidth = 1;
    TskUIStyle m_uiStyle = TskUIStyle::DeepBlue;
    QPointer<TskFileTheme> m_fileTheme;
    int m_menuBarColor = 0;
    int m_menuBarHeight = 22;
    int m_color = 0;
    bool m_autoUpdateSub = false;
    TBiDiMode m_biDiMode = TBiDiMode::bdLeftToRight;
    QPointer<TskPopupMenu> m_popupMenu;
    bool m_clickPressed = false;
    bool m_destroying = false;
    QRect m_boundsAtCreation;
    bool m_maximizedAtCreation = false;
    QRect m_normalBounds; // where a window maximized here goes back to
    QRegion m_region;
    bool m_ownerWasFrameless = false;
    QObject* m_applicationKeys = nullptr;
    // A resize by the ring that the window system could not take over.
    Qt::Edges m_resizeEdges;
    QRect m_resizeStart;
    QPoint m_resizePressGlobal;
};
