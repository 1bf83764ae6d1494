#include "skin/menus/TskMenuBar.h"

#include "skin/draw/SkinGeometry.h"
#include "skin/draw/SkinPainting.h"
#include "skin/draw/TskColor.h"
#include "skin/menus/SkinMenu.h"
#include "skin/menus/SkinMenuDrawing.h"
#include "skin/menus/TskMainMenu.h"
#include "skin/theme/SkinFormInterface.h"
#include "skin/theme/SkinStyleList.h"
#include "skin/theme/SkinThemeUser.h"

#include <QEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

namespace {

// The bar's item metrics: buttons as high as the bar, a caption's width plus
// a margin each side, no panel or spacing around them.
class MenuBarMetrics : public QProxyStyle {
public:
    explicit MenuBarMetrics(const TskMenuBar* bar) : m_bar(bar) {}
    static constexpr int kTextMargin = 7;

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        switch (metric) {
        case PM_MenuBarPanelWidth:
        case PM_MenuBarItemSpacing:
        case PM_MenuBarHMargin:
        case PM_MenuBarVMargin:
            return 0;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        if (type == CT_MenuBarItem)
            return QSize(size.width() + 2 * kTextMargin, m_bar->BarHeight());
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }

private:
    const TskMenuBar* m_bar;
};

const TskMainMenu* mainMenuOf(const QMenu* menu) {
    return qobject_cast<const TskMainMenu*>(menu);
}

} // namespace

TskMenuBar::TskMenuBar(QWidget* skinForm)
    : QMenuBar(skinForm), m_form(skinForm), m_metrics(new MenuBarMetrics(this)) {
    m_metrics->setParent(this);
    setStyle(m_metrics);
    setNativeMenuBar(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(width(), m_barHeight);
}

TskMenuBar::ButtonLook TskMenuBar::LookOf(TskUIStyle style, const TskFileTheme* theme, QRect bounds,
                                          ButtonState state) {
    ButtonLook look;
    TskUIStyle effective = style;
    const bool usingTheme = UsingFileTheme(theme, style, effective);
    auto color = [&](TskThemeKey key) { return SkinGetColor(theme, style, key); };
    QRect r = bounds;
    if (state.hot || state.selected) {
        look.textColor = color(ThemeKey::MenuSelectedFontColor);
        if (SkinStyleList::Has(style, &SkinStyle::menusFromImages)) {
            look.selectImage = true;
            look.fill = r;
            look.text = QRect(r.left(), r.top(), r.width(), r.height() + 2);
            return look;
        }
        if (state.selected)
            r = RectLTRB(r.left(), r.top(), RectRight(r) - 2, RectBottom(r));
        look.filled = true;
        look.fill = r;
        look.fillColor = color(ThemeKey::MenuSelectedBackgroundColor);
        look.frameColor = color(ThemeKey::MenuSelectedBorderColor);
        const int left = state.selected ? r.left() + 2 : r.left();
        look.text = RectLTRB(left, r.top() + 2, RectRight(r), RectBottom(r));
        return look;
    }
    look.text = RectLTRB(r.left(), r.top() + 2, RectRight(r), RectBottom(r));
    if (!state.enabled)
        look.textColor = kDisabledTextColor;
    else if (!usingTheme)
        look.textColor = GetBuiltinColor(effective, ThemeKey::MenuFontColor);
    else if (theme->GetColor(ThemeKey::ControlFontColor) == ThemeFamilyMarker(3))
        look.textColor = 0x00FFFFFF;
    else
        look.textColor = theme->GetColor(ThemeKey::MenuFontColor);
    return look;
}

void TskMenuBar::Rebuild() {
    clear();
    if (!m_menu)
        return;
    // The menu's own actions are its top-level items; sharing them keeps
    // captions and enabled state in step with the menu.
    for (QAction* action : m_menu->actions())
        addAction(action);
    updateGeometry();
    update();
}

int TskMenuBar::ButtonCount() const {
    return int(actions().size());
}

QAction* TskMenuBar::ButtonAction(int index) const {
    const QList<QAction*> list = actions();
    return index >= 0 && index < list.size() ? list[index] : nullptr;
}

QRect TskMenuBar::ButtonRect(int index) const {
    QAction* action = ButtonAction(index);
    return action ? actionGeometry(action) : QRect();
}

void TskMenuBar::SetBarHeight(int height) {
    m_barHeight = qMax(0, height);
    // The item sizes come from the metrics: make the bar measure them again.
    QEvent change(QEvent::StyleChange);
    QMenuBar::event(&change);
    resize(width(), m_barHeight);
    updateGeometry();
    update();
}

void TskMenuBar::SetColor(qint32 color) {
    m_color = color;
    update();
}

TskUIStyle TskMenuBar::DrawStyle() const {
    if (const TskMainMenu* menu = mainMenuOf(m_menu))
        return menu->UIStyle();
    const SkinFormInterface* form = SkinFormInterface::cast(m_form);
    return form ? form->UIStyle() : TskUIStyle::DeepBlue;
}

TskFileTheme* TskMenuBar::DrawTheme() const {
    if (const TskMainMenu* menu = mainMenuOf(m_menu))
        return menu->FileTheme();
    const SkinThemeUser* form = SkinThemeUser::cast(m_form);
    return form ? form->FileTheme() : nullptr;
}

QFont TskMenuBar::DrawFont() const {
    QFont font;
    auto* skinMenu = qobject_cast<SkinMenu*>(m_menu.data());
    if (!skinMenu || !mainMenuOf(m_menu) || skinMenu->UseSystemFont()) {
        SetMenuFont(font);
        return font;
    }
    return skinMenu->ItemFont();
}

QSize TskMenuBar::sizeHint() const {
    return QSize(QMenuBar::sizeHint().width(), m_barHeight);
}

QSize TskMenuBar::minimumSizeHint() const {
    return QSize(0, m_barHeight);
}

bool TskMenuBar::event(QEvent* event) {
    // A caption or enabled change of a shared item shows at once.
    if (event->type() == QEvent::ActionChanged || event->type() == QEvent::ActionAdded)
        update();
    return QMenuBar::event(event);
}

void TskMenuBar::paintEvent(QPaintEvent*) {
    QImage bitmap(size(), QImage::Format_RGB32);
    {
        QPainter canvas(&bitmap);
        PaintBar(canvas);
    }
    QPainter painter(this);
    painter.drawImage(0, 0, bitmap);
}

void TskMenuBar::PaintBar(QPainter& canvas) {
    const QRect all = rect();
    canvas.fillRect(all, TskColor::toQColor(m_color));
    const SkinStyle* style = SkinStyleList::Find(DrawStyle());
    if (style && style->menusFromImages)
        canvas.drawImage(all, LoadBuiltinImage(style->imageName("MENU_BAR")));
    for (QAction* action : actions()) {
        const QRect bounds = actionGeometry(action);
        if (action->isVisible() && !bounds.isEmpty())
            paintButton(canvas, action, bounds);
    }
}

void TskMenuBar::paintButton(QPainter& canvas, QAction* action, const QRect& bounds) {
    ButtonState state;
    const bool open = action->menu() && action->menu()->isVisible();
    state.selected = open;
    state.hot = activeAction() == action && !open;
    state.enabled = action->isEnabled();
    const ButtonLook look = LookOf(DrawStyle(), DrawTheme(), bounds, state);

    canvas.save();
    QFont font = DrawFont();
    canvas.setFont(font);
    if (look.selectImage) {
        QImage button(bounds.size(), QImage::Format_RGB32);
        QPainter p(&button);
        const SkinStyle* style = SkinStyleList::Find(DrawStyle());
        p.drawImage(button.rect(),
                    style ? LoadBuiltinImage(style->imageName("MENU_SELECT")) : QImage());
        p.setFont(font);
        p.setPen(TskColor::toQColor(look.textColor));
        p.drawText(look.text.translated(-bounds.topLeft()),
                   Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, action->text());
        p.end();
        canvas.drawImage(bounds.topLeft(), button);
    } else {
        if (look.filled) {
            FillRectColor(canvas, look.fill, look.fillColor);
            FrameRectColor(canvas, look.fill, look.frameColor);
        }
        canvas.setPen(TskColor::toQColor(look.textColor));
        canvas.drawText(look.text, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                        action->text());
    }
    canvas.restore();
}
