#pragma once

// The skinned form's menu bar: the top-level items of the form's main menu
// as a row of flat buttons under the title bar, each dropping down its
// item's sub-menu. Buttons that do not fit the bar's width wrap onto
// further rows, and the bar grows to hold them all. While a drop-down is
// open, pointing at another button opens that one's, and Left and Right
// move between them; Alt and a button's underlined letter opens its
// drop-down. The painting is the skin's own: the MacOS bar and selection
// images, or the menu's selection colours over the bar's Color in the
// other styles.

#include "skin/theme/SkinThemes.h"
#include "skin/theme/TskFileTheme.h"

#include <QFont>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <vector>

class QAction;
class QMenu;

class TskMenuBar : public QWidget {
    Q_OBJECT
public:
    // What one button looks like: the pure colour and geometry rules.
    struct ButtonLook {
        bool selectImage = false; // the style's MENU_SELECT image stretched over the button
        bool filled = false;      // fill and frame `fill` (hot or selected, other styles)
        QRect fill;
        qint32 fillColor = 0;
        qint32 frameColor = 0;
        QRect text; // the caption is centred in it, single line
        qint32 textColor = 0;
    };
    struct ButtonState {
        bool hot = false;      // under the mouse or keyboard-selected
        bool selected = false; // its drop-down is open
        bool enabled = true;
    };
    static constexpr qint32 kDisabledTextColor = 0x00808080;
    // Room left and right of a button's caption.
    static constexpr int kTextMargin = 7;

    // Style and theme: the main menu's when it is a TskMainMenu, else the form's.
    static ButtonLook LookOf(TskUIStyle style, const TskFileTheme* theme, QRect bounds,
                             ButtonState state);
    // Buttons of the given widths laid out left to right in rows of
    // RowHeight, a button that would reach past BarWidth starting the next
    // row (a button wider than the bar has a row of its own).
    static std::vector<QRect> WrapButtons(const std::vector<int>& widths, int barWidth,
                                          int rowHeight);

    explicit TskMenuBar(QWidget* skinForm);
    ~TskMenuBar() override;

    QWidget* SkinForm() const { return m_form; }

    // The bound menu: its top-level items become the buttons.
    QMenu* Menu() const { return m_menu; }
    void SetMenu(QMenu* menu) { m_menu = menu; }
    // Rebuilds the buttons from the menu, in its item order.
    void Rebuild();
    int ButtonCount() const { return int(m_buttons.size()); }
    QAction* ButtonAction(int index) const;
    QRect ButtonRect(int index) const;
    // The button under Point (bar coordinates), -1 for none.
    int ButtonAt(QPoint point) const;

    // The height of one row of buttons; the bar is as many rows high as its
    // buttons need.
    int BarHeight() const { return m_barHeight; }
    void SetBarHeight(int height);
    qint32 Color() const { return m_color; }
    void SetColor(qint32 color);

    // The style, theme and font the bar is drawn with.
    TskUIStyle DrawStyle() const;
    TskFileTheme* DrawTheme() const;
    QFont DrawFont() const;

    // The button whose drop-down is open, -1 for none.
    int OpenButton() const { return m_open; }
    // Drops down the menu of button Index (its first item selected when
    // asked for with the keyboard); a button without one runs its item.
    void OpenButtonMenu(int index, bool fromKeyboard = false);

    // Paints the whole bar (background and every button) into Canvas.
    void PaintBar(QPainter& canvas);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The bar grew or shrank by a row.
    void heightChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Button {
        QPointer<QAction> action;
        QRect rect;
        int shortcut = 0; // the Alt + letter shortcut id, 0 for none
    };
    void layOut();
    void releaseShortcuts();
    void setHot(int index);
    // The next button (by Step) whose item can drop down a menu, or -1.
    int neighbour(int from, int step) const;
    void paintButton(QPainter& canvas, int index);

    QWidget* m_form;
    QPointer<QMenu> m_menu;
    std::vector<Button> m_buttons;
    int m_barHeight = 22;
    qint32 m_color = 0;
    int m_hot = -1;
    int m_open = -1;
    int m_pressedButton = -1;
    QPointer<QMenu> m_openMenu;
};
