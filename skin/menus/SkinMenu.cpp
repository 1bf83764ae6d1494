#include "skin/menus/SkinMenu.h"

#include "platform/SystemLanguage.h"
#include "skin/draw/SkinGeometry.h"
#include "skin/draw/SkinPainting.h"
#include "skin/draw/TskColor.h"
#include "skin/menus/SkinMenuDrawing.h"
#include "skin/theme/SkinStyleList.h"

#include <QActionEvent>
#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QSet>
#include <QStyleOptionMenuItem>

// The per-menu style through which Qt hands every item of the menu tree to
// the menu to be measured and drawn.
class SkinMenu::Style : public QProxyStyle {
public:
    explicit Style(SkinMenu* menu) : m_menu(menu) { setParent(menu); }

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        switch (metric) {
        case PM_MenuPanelWidth:
            return kPanelWidth;
        case PM_MenuHMargin:
        case PM_MenuVMargin:
        case PM_MenuDesktopFrameWidth:
        case PM_MenuTearoffHeight:
            return 0;
        case PM_SmallIconSize:
            return 16;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        switch (hint) {
        case SH_Menu_AllowActiveAndDisabled: // keyboard selection stops on greyed items
            return 1;
        case SH_Menu_FlashTriggeredItem:
        case SH_Menu_FadeOutOnHide:
        case SH_Menu_SupportsSections:
            return 0;
        default:
            return QProxyStyle::styleHint(hint, option, widget, returnData);
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        if (type == CT_MenuItem) {
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                QSize measured = m_menu->MeasureMenuItem(dataFromOption(*item, nullptr),
                                                         QFontMetrics(m_menu->ItemFont()));
                // QMenu adds its shortcut column on top; the widest item
                // comes out as wide as it measures.
                if (const auto* menu = qobject_cast<const QMenu*>(widget))
                    measured.rwidth() -= ShortcutColumnWidth(*menu);
                return measured;
            }
        }
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuItem) {
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                const ItemData data = dataFromOption(*item, qobject_cast<const QMenu*>(widget));
                painter->save();
                m_menu->DrawMenuItem(data, *painter, item->rect,
                                     item->state.testFlag(State_Selected));
                painter->restore();
                return;
            }
        }
        if (element == CE_MenuEmptyArea) {
            m_menu->DrawMenuBackground(*painter, option->rect);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_PanelMenu) {
            m_menu->DrawMenuBackground(*painter, option->rect);
            return;
        }
        if (element == PE_FrameMenu) {
            m_menu->DrawMenuFrame(*painter, widget ? widget->rect() : option->rect);
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

private:
    static ItemData dataFromOption(const QStyleOptionMenuItem& option, const QMenu* menu) {
        ItemData data;
        const qsizetype tab = option.text.indexOf(QLatin1Char('\t'));
        data.caption = tab < 0 ? option.text : option.text.left(tab);
        data.shortcut = tab < 0 ? QString() : option.text.mid(tab + 1);
        data.separator = option.menuItemType == QStyleOptionMenuItem::Separator ||
                         IsSeparatorCaption(data.caption);
        data.enabled = option.state.testFlag(State_Enabled);
        data.checked = option.checkType != QStyleOptionMenuItem::NotCheckable && option.checked;
        data.isDefault = option.menuItemType == QStyleOptionMenuItem::DefaultItem;
        data.hasSubMenu = option.menuItemType == QStyleOptionMenuItem::SubMenu;
        data.icon = option.icon;
        if (menu) {
            if (const QAction* action = menu->actionAt(option.rect.center()))
                data.imageIndex = ItemImageIndex(action);
        }
        return data;
    }

    SkinMenu* m_menu;
};

namespace {
constexpr char kImageIndexProperty[] = "ImageIndex";
constexpr qint32 kBlack = 0;
constexpr qint32 kWhite = 0x00FFFFFF;
} // namespace

SkinMenu::SkinMenu(QWidget* owner) : QMenu(owner), m_style(new Style(this)) {
    // Raw values first; the style application below replaces the heights,
    // the bar width, the separator colour and the six style colours.
    m_menuItemHeight = 21;
    m_separatorHeight = 21;
    m_barColor = TskColor::ButtonFace;
    m_barWidth = 0;
    m_color = kWhite;
    m_separatorColor = TskColor::fromRgb(128, 128, 128);
    m_selectedBorderColor = TskColor::Highlight;
    m_selectedColor = TskColor::Highlight;
    m_selectedFontColor = kWhite;
    m_fontColor = kWhite;
    m_borderColor = kBlack;
    m_flatMenu = false;
    m_fontName = QStringLiteral("MS Sans Serif");
    m_fontSize = 8;
    m_fontCharset = 1;
    m_useSystemFont = true;
    SetUIStyle(GetOwnerFormUIStyle(owner));
    // Items are skinned as they are inserted: a menu built in code never
    // shows a plain item, whether or not HookMenuItems runs later.
    SetMenuItemsOwnerDraw(this, m_style);
    hookMenu(this);
}

SkinMenu::~SkinMenu() = default;

qint32 SkinMenu::styleColor(TskThemeKey key) const {
    return SkinGetColor(m_fileTheme, m_uiStyle, key);
}

void SkinMenu::SetUIStyle(TskUIStyle style) {
    m_uiStyle = style;
    m_barWidth = 26;
    // The heights follow the style as given: FromThemeFile without a usable
    // theme draws DeepBlue's colours but keeps 21 and 5.
    if (SkinStyleList::Has(style, &SkinStyle::menusFromImages)) {
        m_menuItemHeight = 20;
        m_separatorHeight = 12;
        m_separatorColor = kBlack;
    } else {
        m_menuItemHeight = 21;
        m_separatorHeight = 5;
        m_separatorColor = TskColor::fromRgb(132, 130, 132);
    }
    m_barColor = styleColor(ThemeKey::MenuBarColor);
    m_color = styleColor(ThemeKey::MenuBackgroundColor);
    m_fontColor = styleColor(ThemeKey::MenuFontColor);
    m_selectedBorderColor = styleColor(ThemeKey::MenuSelectedBorderColor);
    m_selectedColor = styleColor(ThemeKey::MenuSelectedBackgroundColor);
    m_selectedFontColor = styleColor(ThemeKey::MenuSelectedFontColor);
    update();
}

void SkinMenu::SetFileTheme(TskFileTheme* theme) {
    WatchFileTheme(this, m_fileTheme, theme, [this] { SetUIStyle(TskUIStyle::DeepBlue); });
    SetUIStyle(m_uiStyle);
}

void SkinMenu::SetMenuItemHeight(int value) {
    if (!SkinStyleList::Has(m_uiStyle, &SkinStyle::menusFromImages))
        m_menuItemHeight = value;
}

void SkinMenu::SetSeparatorHeight(int value) {
    if (!SkinStyleList::Has(m_uiStyle, &SkinStyle::menusFromImages))
        m_separatorHeight = value;
}

// ---- hooking ----

void SkinMenu::HookMenuItems() {
    SetMenuItemsOwnerDraw(this, m_style);
    hookMenu(this);
}

void SkinMenu::hookMenu(QMenu* menu) {
    menu->installEventFilter(this);
    // Once per menu, however often the tree is hooked again.
    constexpr const char* kHotkeysHooked = "_deckvane_hotkeys_hooked";
    if (!menu->property(kHotkeysHooked).toBool()) {
        menu->setProperty(kHotkeysHooked, true);
        connect(menu, &QMenu::aboutToShow, this, [this, menu] {
            if (m_autoHotkeys == TMenuAutoFlag::maAutomatic)
                RethinkHotkeys(menu);
        });
    }
    if (menu != this)
        menu->setStyle(m_style);
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator() && IsSeparatorCaption(action->text()))
            action->setSeparator(true);
        if (QMenu* sub = action->menu())
            hookMenu(sub);
    }
}

bool SkinMenu::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionChanged: {
        // Items added or given a sub-menu after hooking are drawn skinned too.
        QAction* action = static_cast<QActionEvent*>(event)->action();
        if (action && !action->isSeparator() && IsSeparatorCaption(action->text()))
            action->setSeparator(true);
        if (action && action->menu() && action->menu()->style() != m_style)
            hookMenu(action->menu());
        MenuChanged();
        emit menuChanged();
        break;
    }
    case QEvent::ActionRemoved:
        MenuChanged();
        emit menuChanged();
        break;
    default:
        break;
    }
    return QMenu::eventFilter(watched, event);
}

namespace {

// The letter an item's "&" marks (upper case), or a null character.
QChar hotkeyOf(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&'))
            continue;
        if (caption[i + 1] != QLatin1Char('&'))
            return caption[i + 1].toUpper();
        ++i; // "&&" is an ampersand written out
    }
    return QChar();
}

QString withoutHotkey(const QString& caption) {
    QString plain;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) {
            if (caption[i + 1] == QLatin1Char('&'))
                plain += QLatin1String("&&");
            ++i;
            if (caption[i] != QLatin1Char('&'))
                plain += caption[i];
            continue;
        }
        plain += caption[i];
    }
    return plain;
}

bool validHotkey(QChar c) {
    const char16_t u = c.toUpper().unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

} // namespace

QStringList SkinMenu::RethinkHotkeys(const QStringList& captions) {
    QStringList result = captions;
    QSet<QChar> taken;
    std::vector<int> waiting;
    for (int i = 0; i < result.size(); ++i) {
        if (IsSeparatorCaption(result[i]))
            continue;
        const QChar key = hotkeyOf(result[i]);
        if (!key.isNull() && !taken.contains(key))
            taken.insert(key);
        else
            waiting.push_back(i);
    }
    for (const int i : waiting) {
        const QString plain = withoutHotkey(result[i]);
        result[i] = plain;
        for (qsizetype at = 0; at < plain.size(); ++at) {
            if (plain[at] == QLatin1Char('&')) {
                ++at; // skip the written-out ampersand
                continue;
            }
            if (validHotkey(plain[at]) && !taken.contains(plain[at].toUpper())) {
                taken.insert(plain[at].toUpper());
                result[i] = plain.left(at) + QLatin1Char('&') + plain.mid(at);
                break;
            }
        }
    }
    return result;
}

void SkinMenu::RethinkHotkeys(QMenu* menu) {
    if (!menu)
        return;
    QList<QAction*> items;
    QStringList captions;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        items.append(action);
        captions.append(action->text());
    }
    const QStringList rethought = RethinkHotkeys(captions);
    for (qsizetype i = 0; i < items.size(); ++i)
        if (items[i]->text() != rethought[i])
            items[i]->setText(rethought[i]);
}

void SkinMenu::Popup(int x, int y) {
    popup(QPoint(x, y));
}

// ---- measuring and drawing ----

QFont SkinMenu::ItemFont() const {
    QFont font;
    if (m_useSystemFont) {
        SetMenuFont(font);
    } else {
        font.setFamily(m_fontName);
        font.setPointSize(qMax(1, m_fontSize));
    }
    return font;
}

QSize SkinMenu::MeasureMenuItem(const ItemData& item, const QFontMetrics& metrics) const {
    return QSize(ItemWidth(metrics.horizontalAdvance(item.caption),
                           metrics.horizontalAdvance(item.shortcut), m_barWidth),
                 ItemHeight(item.separator, m_menuItemHeight, m_separatorHeight));
}

int SkinMenu::ShortcutColumnWidth(const QMenu& menu) {
    // What QMenu counts: the text after a tab in the caption, else the
    // shortcut where it shows.
    const QFontMetrics metrics = menu.fontMetrics();
    int widest = 0;
    for (const QAction* action : menu.actions()) {
        if (!action->isVisible() || action->isSeparator())
            continue;
        const QString text = action->text();
        const qsizetype tab = text.indexOf(QLatin1Char('\t'));
        QString shortcut;
        if (tab >= 0)
            shortcut = text.mid(tab + 1);
        else if (action->isShortcutVisibleInContextMenu())
            shortcut = action->shortcut().toString(QKeySequence::NativeText);
        widest = qMax(widest, metrics.horizontalAdvance(shortcut));
    }
    return widest;
}

bool SkinMenu::IsRightToLeft() const {
    return layoutDirection() == Qt::RightToLeft && SystemLanguage::isMiddleEast();
}

void SkinMenu::DrawMenuBackground(QPainter& canvas, const QRect& rect) const {
    if (SkinStyleList::Has(m_uiStyle, &SkinStyle::menusFromImages))
        DrawMenuBarImageTall(canvas, rect, m_uiStyle);
    else
        FillRectColor(canvas, rect, m_color);
}

void SkinMenu::DrawMenuFrame(QPainter& canvas, const QRect& windowRect) const {
    DrawMenuBackground(canvas, windowRect);
    if (m_flatMenu) {
        DrawMenuWindowBorder(canvas, windowRect, kBlack, styleColor(ThemeKey::FormBackgroundColor));
        return;
    }
    // A raised border like the native menu frame it replaces.
    const int l = windowRect.x(), t = windowRect.y();
    const int r = RectRight(windowRect), b = RectBottom(windowRect);
    auto ring = [&](int inset, qint32 light, qint32 dark) {
        const QRect box = RectLTRB(l + inset, t + inset, r - inset, b - inset);
        FrameRectColor(canvas, box, dark);
        FillRectColor(canvas, RectLTRB(box.x(), box.y(), RectRight(box) - 1, box.y() + 1), light);
        FillRectColor(canvas, RectLTRB(box.x(), box.y(), box.x() + 1, RectBottom(box) - 1), light);
    };
    ring(0, TskColor::fromRgb(212, 208, 200), TskColor::fromRgb(64, 64, 64));
    ring(1, kWhite, TskColor::fromRgb(128, 128, 128));
}

void SkinMenu::drawItemImage(QPainter& canvas, const QImage& image, QPoint pos,
                             bool enabled) const {
    if (image.isNull())
        return;
    if (enabled) {
        canvas.drawImage(pos, image);
        return;
    }
    QStyleOption option;
    option.initFrom(this);
    const QPixmap grey = QApplication::style()->generatedIconPixmap(
        QIcon::Disabled, QPixmap::fromImage(image), &option);
    canvas.drawPixmap(pos, grey);
}

void SkinMenu::DrawMenuItem(const ItemData& item, QPainter& canvas, const QRect& r,
                            bool selected) const {
    const bool rtl = IsRightToLeft();
    const bool fromImages = SkinStyleList::Has(m_uiStyle, &SkinStyle::menusFromImages);
    const QFont baseFont = ItemFont();
    const int shortcutWidth = QFontMetrics(baseFont).horizontalAdvance(item.shortcut);
    const ItemGeometry g = LayoutItem(r, m_barWidth, rtl, shortcutWidth);

    if (item.separator) {
        if (fromImages) {
            DrawMenuBarImage(canvas, r, m_uiStyle);
            return;
        }
        if (m_barWidth > 0)
            FillRectColor(canvas, g.bar, m_barColor);
        FillRectColor(canvas, g.body, m_color);
        DrawMenuSeparator(canvas, r, m_separatorColor, m_barWidth, !rtl);
        return;
    }

    // A disabled item never shows as selected.
    const bool showSelected = selected && item.enabled;
    if (showSelected) {
        if (fromImages) {
            DrawMenuSelectImage(canvas, r, m_uiStyle);
        } else {
            FillRectColor(canvas, r, m_selectedColor);
            FrameRectColor(canvas, r, m_selectedBorderColor);
        }
    } else if (fromImages) {
        DrawMenuBarImageTall(canvas, r, m_uiStyle);
    } else {
        if (m_barWidth > 0)
            FillRectColor(canvas, g.bar, m_barColor);
        FillRectColor(canvas, g.body, m_color);
    }

    QFont font = baseFont;
    if (item.isDefault)
        font.setBold(true);
    canvas.setFont(font);
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(TskColor::toQColor(
        ItemTextColor(item.enabled, selected, m_selectedFontColor, m_fontColor)));
    const int align = (g.captionRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop |
                      Qt::TextSingleLine | Qt::TextShowMnemonic;
    canvas.drawText(g.caption, align, item.caption);
    if (!item.shortcut.isEmpty()) {
        canvas.drawText(QRect(g.shortcutX, g.textTop, shortcutWidth + 1, r.height()),
                        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, item.shortcut);
    }
    if (item.hasSubMenu) {
        // The arrow the native menu adds after an owner-drawn item.
        const int cy = r.y() + r.height() / 2;
        const int tipX = rtl ? r.x() + 6 : RectRight(r) - 8;
        const int dir = rtl ? 1 : -1;
        for (int i = 0; i < 4; ++i)
            canvas.fillRect(QRect(tipX + dir * i, cy - i, 1, 2 * i + 1), canvas.pen().color());
    }

    // Only a picture of the menu's image list stands in for the check mark;
    // an action's own icon shows on unchecked items alone.
    const bool listed = ValidImageIndex(item.imageIndex, ItemImages());
    QImage image;
    if (listed)
        image = ItemImages()->at(item.imageIndex);
    else if (!item.icon.isNull() && !item.checked)
        image = item.icon.pixmap(16, 16).toImage();

    if (item.checked) {
        if (listed) {
            FrameRectColor(canvas, g.checkFrame, kBlack);
            FillRectColor(canvas, g.checkFill, m_selectedColor);
        } else {
            drawItemImage(canvas, CheckMarkImage(), g.imagePos, item.enabled);
        }
    }
    drawItemImage(canvas, image, g.imagePos, item.enabled);
}

void SkinMenu::DrawMenuItem(QAction* action, QPainter& canvas, const QRect& r,
                            bool selected) const {
    ItemData data = DataFromAction(action);
    if (const auto* menu = qobject_cast<const QMenu*>(action->parent()))
        data.isDefault = menu->defaultAction() == action;
    DrawMenuItem(data, canvas, r, selected);
}

// ---- pure rules ----

bool SkinMenu::IsSeparatorCaption(const QString& caption) {
    return caption == QLatin1String("-");
}

int SkinMenu::ItemHeight(bool separator, int menuItemHeight, int separatorHeight) {
    return separator ? separatorHeight : menuItemHeight;
}

int SkinMenu::ItemWidth(int captionWidth, int shortcutWidth, int barWidth) {
    return captionWidth + shortcutWidth + barWidth + 40;
}

SkinMenu::ItemGeometry SkinMenu::LayoutItem(const QRect& r, int barWidth, bool rightToLeft,
                                            int shortcutWidth) {
    ItemGeometry g;
    const int left = r.x(), top = r.y(), right = RectRight(r), bottom = RectBottom(r);
    if (rightToLeft) {
        g.bar = RectLTRB(right - barWidth, top, right, bottom);
        g.body = RectLTRB(left, top, right - barWidth, bottom);
        g.caption = RectLTRB(left, top + 4, right - barWidth - 4, bottom);
        g.captionRight = true;
        g.shortcutX = left + 16;
        g.imageX = right - 20;
    } else {
        g.bar = RectLTRB(left, top, left + barWidth, bottom);
        g.body = RectLTRB(left + barWidth, top, right, bottom);
        g.caption = RectLTRB(left + barWidth + 4, top + 4, right, bottom);
        g.shortcutX = right - shortcutWidth - 16;
        g.imageX = left + 4;
    }
    if (barWidth <= 0)
        g.bar = QRect();
    g.textTop = top + 4;
    const int x = g.imageX;
    g.checkFrame = RectLTRB(x - 2, top + 1, x + 17, top + 20);
    g.checkFill = RectLTRB(x - 1, top + 2, x + 16, top + 19);
    g.imagePos = QPoint(x, top + 3);
    return g;
}

bool SkinMenu::ValidImageIndex(int index, const QList<QImage>* images) {
    return index != -1 && images && index >= 0 && index < images->size();
}

qint32 SkinMenu::ItemTextColor(bool enabled, bool selected, qint32 selectedFontColor,
                               qint32 fontColor) {
    if (!enabled)
        return kDisabledTextColor;
    return selected ? selectedFontColor : fontColor;
}

SkinMenu::ItemData SkinMenu::DataFromAction(const QAction* action) {
    ItemData data;
    if (!action)
        return data;
    data.caption = action->text();
    data.shortcut = action->shortcut().toString(QKeySequence::NativeText);
    data.separator = action->isSeparator() || IsSeparatorCaption(data.caption);
    data.enabled = action->isEnabled();
    data.checked = action->isCheckable() && action->isChecked();
    data.hasSubMenu = action->menu() != nullptr;
    data.imageIndex = ItemImageIndex(action);
    data.icon = action->icon();
    return data;
}

QImage SkinMenu::MakeCheckMarkImage() {
    const QImage mark = LoadBuiltinImage(QStringLiteral("MENU_CHECKED"));
    if (mark.isNull())
        return mark;
    return MaskedWithKey(mark, 0xFFFFFFFF);
}

void SkinMenu::SetItemImageIndex(QAction* action, int index) {
    if (action)
        action->setProperty(kImageIndexProperty, index);
}

int SkinMenu::ItemImageIndex(const QAction* action) {
    if (!action)
        return -1;
    const QVariant value = action->property(kImageIndexProperty);
    return value.isValid() ? value.toInt() : -1;
}
