#include "skin/menus/TskMenuBar.h"

#include "component/AlignLayout.h"
#include "skin/draw/SkinGeometry.h"
#include "skin/draw/SkinPainting.h"
#include "skin/draw/TskColor.h"
#include "skin/menus/SkinMenu.h"
#include "skin/menus/SkinMenuDrawing.h"
#include "skin/menus/TskMainMenu.h"
#include "skin/theme/SkinFormInterface.h"
#include "skin/theme/SkinStyleList.h"
#include "skin/theme/SkinThemeUser.h"

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QShortcutEvent>

namespace {

const TskMainMenu* mainMenuOf(const QMenu* menu) {
    return qobject_cast<const TskMainMenu*>(menu);
}

bool dropsDown(const QAction* action) {
    return action && action->isVisible() && action->isEnabled() && action->menu();
}

} // namespace

TskMenuBar::TskMenuBar(QWidget* skinForm) : QWidget(skinForm), m_form(skinForm) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    resize(width(), m_barHeight);
}

TskMenuBar::~TskMenuBar() {
    if (m_openMenu)
        m_openMenu->removeEventFilter(this);
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

std::vector<QRect> TskMenuBar::WrapButtons(const std::vector<int>& widths, int barWidth,
                                           int rowHeight) {
    std::vector<QRect> rects;
    int x = 0, y = 0;
    for (const int w : widths) {
        if (x > 0 && x + w > barWidth) {
            x = 0;
            y += rowHeight;
        }
        rects.emplace_back(x, y, w, rowHeight);
        x += w;
    }
    return rects;
}

void TskMenuBar::Rebuild() {
    if (m_openMenu)
        m_openMenu->hide();
    releaseShortcuts();
    for (const Button& button : m_buttons)
        if (button.action)
            disconnect(button.action, nullptr, this, nullptr);
    m_buttons.clear();
    m_hot = -1;
    // The top-level items take their accelerators by the menu's setting,
    // as its drop-downs do each time they open.
    auto* skinMenu = qobject_cast<SkinMenu*>(m_menu.data());
    if (skinMenu && skinMenu->AutoHotkeys() == SkinMenu::TMenuAutoFlag::maAutomatic)
        SkinMenu::RethinkHotkeys(skinMenu);
    if (m_menu) {
        // The menu's own actions are its top-level items; sharing them keeps
        // captions and enabled state in step with the menu.
        for (QAction* action : m_menu->actions()) {
            m_buttons.push_back({action, QRect(), 0});
            connect(action, &QAction::changed, this, [this] {
                layOut();
                update();
            });
        }
    }
    layOut();
    update();
}

void TskMenuBar::releaseShortcuts() {
    for (Button& button : m_buttons) {
        if (button.shortcut != 0)
            releaseShortcut(button.shortcut);
        button.shortcut = 0;
    }
}

void TskMenuBar::layOut() {
    releaseShortcuts();
    const QFontMetrics metrics(DrawFont());
    std::vector<int> widths;
    std::vector<size_t> shown;
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        QAction* action = m_buttons[i].action;
        m_buttons[i].rect = QRect();
        if (!action || !action->isVisible())
            continue;
        const QString text = action->text();
        widths.push_back(metrics.size(Qt::TextSingleLine | Qt::TextShowMnemonic, text).width() +
                         2 * kTextMargin);
        shown.push_back(i);
        // Alt and the caption's underlined letter drops the menu down, from
        // anywhere in the window.
        const QKeySequence mnemonic = QKeySequence::mnemonic(text);
        if (!mnemonic.isEmpty())
            m_buttons[i].shortcut = grabShortcut(mnemonic, Qt::WindowShortcut);
    }
    const std::vector<QRect> rects = WrapButtons(widths, width(), m_barHeight);
    int rows = m_barHeight;
    for (size_t k = 0; k < shown.size(); ++k) {
        m_buttons[shown[k]].rect = rects[k];
        rows = qMax(rows, rects[k].bottom() + 1);
    }
    // The bar sizes itself to its rows; what lies below it moves, once the
    // arrangement that may be resizing the bar just now is through.
    if (height() != rows) {
        resize(width(), rows);
        updateGeometry();
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (QWidget* parent = parentWidget())
                    AlignLayout::realign(parent);
                emit heightChanged();
            },
            Qt::QueuedConnection);
    }
}

QAction* TskMenuBar::ButtonAction(int index) const {
    return index >= 0 && index < ButtonCount() ? m_buttons[size_t(index)].action.data() : nullptr;
}

QRect TskMenuBar::ButtonRect(int index) const {
    return index >= 0 && index < ButtonCount() ? m_buttons[size_t(index)].rect : QRect();
}

int TskMenuBar::ButtonAt(QPoint point) const {
    for (int i = 0; i < ButtonCount(); ++i)
        if (m_buttons[size_t(i)].rect.contains(point))
            return i;
    return -1;
}

void TskMenuBar::SetBarHeight(int height) {
    m_barHeight = qMax(0, height);
    layOut();
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
    // A plain menu keeps the bar's own font; a skinned one says which.
    auto* skinMenu = qobject_cast<SkinMenu*>(m_menu.data());
    if (!skinMenu || !mainMenuOf(m_menu))
        return font();
    if (skinMenu->UseSystemFont()) {
        QFont system;
        SetMenuFont(system);
        return system;
    }
    return skinMenu->ItemFont();
}

QSize TskMenuBar::sizeHint() const {
    int right = 0;
    for (const Button& button : m_buttons)
        right = qMax(right, button.rect.right() + 1);
    return QSize(right, height());
}

QSize TskMenuBar::minimumSizeHint() const {
    return QSize(0, m_barHeight);
}

int TskMenuBar::neighbour(int from, int step) const {
    const int count = ButtonCount();
    for (int k = 1; k < count; ++k) {
        const int i = ((from + step * k) % count + count) % count;
        if (dropsDown(ButtonAction(i)))
            return i;
    }
    return -1;
}

void TskMenuBar::OpenButtonMenu(int index, bool fromKeyboard) {
    QAction* action = ButtonAction(index);
    if (!action || !action->isVisible() || !action->isEnabled())
        return;
    if (m_openMenu) {
        QMenu* previous = m_openMenu;
        m_openMenu = nullptr;
        previous->removeEventFilter(this);
        previous->hide();
    }
    m_open = -1;
    QMenu* menu = action->menu();
    if (!menu) {
        update();
        action->trigger();
        return;
    }
    m_open = index;
    m_openMenu = menu;
    menu->installEventFilter(this);
    connect(
        menu, &QMenu::aboutToHide, this,
        [this, menu] {
            if (m_openMenu != menu)
                return;
            menu->removeEventFilter(this);
            m_openMenu = nullptr;
            m_open = -1;
            update();
        },
        Qt::SingleShotConnection);
    if (fromKeyboard) {
        for (QAction* item : menu->actions()) {
            if (item->isVisible() && item->isEnabled() && !item->isSeparator()) {
                menu->setActiveAction(item);
                break;
            }
        }
    }
    const QRect r = ButtonRect(index);
    menu->popup(mapToGlobal(QPoint(r.left(), r.bottom() + 1)));
    update();
}

void TskMenuBar::setHot(int index) {
    if (index == m_hot)
        return;
    m_hot = index;
    update();
}

void TskMenuBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void TskMenuBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int index = ButtonAt(event->position().toPoint());
    m_pressedButton = -1;
    if (index < 0 || !ButtonAction(index)->isEnabled())
        return;
    if (ButtonAction(index)->menu())
        OpenButtonMenu(index);
    else
        m_pressedButton = index; // runs its item when released on it
}

void TskMenuBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int pressed = m_pressedButton;
    m_pressedButton = -1;
    if (pressed >= 0 && ButtonAt(event->position().toPoint()) == pressed)
        OpenButtonMenu(pressed);
}

void TskMenuBar::mouseMoveEvent(QMouseEvent* event) {
    setHot(ButtonAt(event->position().toPoint()));
}

void TskMenuBar::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    setHot(-1);
}

bool TskMenuBar::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut) {
        const int id = static_cast<QShortcutEvent*>(event)->shortcutId();
        for (int i = 0; i < ButtonCount(); ++i) {
            if (m_buttons[size_t(i)].shortcut == id) {
                OpenButtonMenu(i, true);
                return true;
            }
        }
    } else if (event->type() == QEvent::FontChange) {
        layOut();
        update();
    }
    return QWidget::event(event);
}

bool TskMenuBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_openMenu)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress: {
        // The open drop-down has the pointer: what happens over the bar is
        // the bar's.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint local = mapFromGlobal(mouse->globalPosition().toPoint());
        if (!rect().contains(local))
            break;
        const int index = ButtonAt(local);
        if (event->type() == QEvent::MouseMove) {
            if (index >= 0 && index != m_open && dropsDown(ButtonAction(index)))
                OpenButtonMenu(index);
            break;
        }
        // A press on the open button closes its drop-down; on another, that
        // one drops down; between buttons, the drop-down closes.
        if (index >= 0 && index != m_open && dropsDown(ButtonAction(index)))
            OpenButtonMenu(index);
        else
            m_openMenu->hide();
        return true;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const QAction* active = m_openMenu->activeAction();
        if (key == Qt::Key_Right && active && active->menu() && active->isEnabled())
            break; // into the item's own sub-menu
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            const int next = neighbour(m_open, key == Qt::Key_Left ? -1 : 1);
            if (next >= 0 && next != m_open)
                OpenButtonMenu(next, true);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
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
    for (int i = 0; i < ButtonCount(); ++i)
        if (!ButtonRect(i).isEmpty() && ButtonAction(i))
            paintButton(canvas, i);
}

void TskMenuBar::paintButton(QPainter& canvas, int index) {
    QAction* action = ButtonAction(index);
    const QRect bounds = ButtonRect(index);
    ButtonState state;
    state.selected = index == m_open;
    state.hot = index == m_hot && !state.selected;
    state.enabled = action->isEnabled();
    const ButtonLook look = LookOf(DrawStyle(), DrawTheme(), bounds, state);

    canvas.save();
    const QFont font = DrawFont();
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
