#pragma once

// The skinned form's menu bar: the top-level items of the form's main menu
// as a row of flat buttons under the title bar, each dropping down its
// item's sub-menu. It is a real QMenuBar, so hot tracking, Alt mnemonics and
// moving between the drop-downs with the arrow keys behave as users expect;
// the painting is the skin's own: the MacOS bar and selection images, or the
// menu's selection colours over the bar's Color in the other styles.

#include "skin/theme/SkinThemes.h"
#include "skin/theme/TskFileTheme.h"

#include <QFont>
#include <QMenuBar>
#include <QPointer>
#include <QRect>

class QMenu;
class QProxyStyle;

class TskMenuBar : public QMenuBar {
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

    // Style and theme: the main menu's when it is a TskMainMenu, else the form's.
    static ButtonLook LookOf(TskUIStyle style, const TskFileTheme* theme, QRect bounds,
                             ButtonState state);

    explicit TskMenuBar(QWidget* skinForm);

    QWidget* SkinForm() const { return m_form; }

    // The bound menu: its top-level items become the buttons.
    QMenu* Menu() const { return m_menu; }
    void SetMenu(QMenu* menu) { m_menu = menu; }
    // Rebuilds the buttons from the menu, in its item order.
    void Rebuild();
    int ButtonCount() const;
    QAction* ButtonAction(int index) const;
    QRect ButtonRect(int index) const;

    int BarHeight() const { return m_barHeight; }
    void SetBarHeight(int height);
    qint32 Color() const { return m_color; }
    void SetColor(qint32 color);

    // The style, theme and font the bar is drawn with.
    TskUIStyle DrawStyle() const;
    TskFileTheme* DrawTheme() const;
    QFont DrawFont() const;

    // Paints the whole bar (background and every button) into Canvas.
    void PaintBar(QPainter& canvas);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    void paintButton(QPainter& canvas, QAction* action, const QRect& bounds);

    QWidget* m_form;
    QPointer<QMenu> m_menu;
    QProxyStyle* m_metrics;
    int m_barHeight = 22;
    qint32 m_color = 0;
};
