#include "skin/draw/SkinGeometry.h"
#include "skin/draw/TskColor.h"
#include "skin/menus/TskMainMenu.h"
#include "skin/menus/TskPopupMenu.h"
#include "tests/skin/form/TitleBarTestSupport.h"

#include <QKeyEvent>
#include <QPainter>
#include <gtest/gtest.h>

using namespace titlebartest;

namespace {

// One item drawn alone into a white image of the item's size.
QImage DrawItem(const SkinMenu& menu, const SkinMenu::ItemData& item, bool selected,
                QSize size = QSize(160, 21)) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    menu.DrawMenuItem(item, painter, QRect(QPoint(0, 0), size), selected);
    return image;
}

int CountColour(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour.rgb();
    return n;
}

// The check mark as the menu draws it, over the given background.
QImage ExpectedMark(const QImage& mark, const QColor& background) {
    QImage expected(mark.size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(background);
    QPainter(&expected).drawImage(0, 0, mark);
    return expected;
}

} // namespace

TEST(SkinMenu, ItemHeightsByStyle) {
    TskPopupMenu menu;
    EXPECT_EQ(menu.UIStyle(), TskUIStyle::DeepBlue);
    EXPECT_EQ(menu.MenuItemHeight(), 21);
    EXPECT_EQ(menu.SeparatorHeight(), 5);
    EXPECT_EQ(menu.BarWidth(), 26);
    EXPECT_EQ(menu.SeparatorColor(), TskColor::fromRgb(132, 130, 132));

    menu.SetUIStyle(TskUIStyle::MacOS);
    EXPECT_EQ(menu.MenuItemHeight(), 20);
    EXPECT_EQ(menu.SeparatorHeight(), 12);
    EXPECT_EQ(menu.SeparatorColor(), 0);
    // MacOS keeps its heights whatever is written.
    menu.SetMenuItemHeight(30);
    menu.SetSeparatorHeight(9);
    EXPECT_EQ(menu.MenuItemHeight(), 20);
    EXPECT_EQ(menu.SeparatorHeight(), 12);

    menu.SetUIStyle(TskUIStyle::WinXP);
    menu.SetMenuItemHeight(30);
    EXPECT_EQ(menu.MenuItemHeight(), 30);
    EXPECT_EQ(menu.SelectedColor(), 0xEFD3C6);
    EXPECT_EQ(menu.SelectedFontColor(), 0);
    menu.SetUIStyle(TskUIStyle::BlueGlass);
    EXPECT_EQ(menu.MenuItemHeight(), 21); // the style replaces what was written
    EXPECT_EQ(menu.Color(), 0xE7E7E7);

    // FromThemeFile without a theme: DeepBlue's colours, the heights of the style as asked.
    menu.SetUIStyle(TskUIStyle::FromThemeFile);
    EXPECT_EQ(menu.MenuItemHeight(), 21);
    EXPECT_EQ(menu.SelectedColor(), 0xA04A44);
}

TEST(SkinMenu, SeparatorIsExactlyOneDash) {
    EXPECT_TRUE(SkinMenu::IsSeparatorCaption("-"));
    EXPECT_FALSE(SkinMenu::IsSeparatorCaption("--"));
    EXPECT_FALSE(SkinMenu::IsSeparatorCaption(" -"));

    TskPopupMenu menu;
    menu.SetUIStyle(TskUIStyle::WinXP);
    QAction* normal = menu.addAction("Open");
    QAction* dash = menu.addAction("-");
    QAction* twoDashes = menu.addAction("--");
    menu.addAction("Close");
    menu.HookMenuItems();
    EXPECT_TRUE(dash->isSeparator());
    EXPECT_FALSE(twoDashes->isSeparator());
    // The real menu lays its items out with the measured heights.
    menu.popup(QPoint(0, 0));
    EXPECT_EQ(menu.actionGeometry(normal).height(), 21);
    EXPECT_EQ(menu.actionGeometry(dash).height(), 5);
    EXPECT_EQ(menu.actionGeometry(twoDashes).height(), 21);
    menu.hide();
}

TEST(SkinMenu, ItemWidthCountsCaptionShortcutAndBar) {
    TskPopupMenu menu;
    SkinMenu::ItemData item;
    item.caption = "&Save";
    item.shortcut = "Ctrl+S";
    const QFontMetrics metrics(menu.ItemFont());
    const int width =
        metrics.horizontalAdvance("&Save") + metrics.horizontalAdvance("Ctrl+S") + 26 + 40;
    EXPECT_EQ(menu.MeasureMenuItem(item, metrics).width(), width);
    // The real menu is as wide as its widest item: the shortcut is counted
    // once, not again in a column of the menu's own.
    QAction* save = menu.addAction("&Save");
    save->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    menu.addAction("Quit");
    menu.HookMenuItems();
    menu.popup(QPoint(0, 0));
    EXPECT_EQ(menu.actionGeometry(save).width(), width);
    menu.hide();
}

TEST(SkinMenu, ItemsAreSkinnedAsTheyAreInserted) {
    // Built in code, never hooked by hand.
    TskPopupMenu menu;
    menu.SetUIStyle(TskUIStyle::MacOS);
    QAction* first = menu.addAction("First");
    QAction* dash = menu.addAction("-");
    QMenu* sub = menu.addMenu("More");
    QAction* late = sub->addAction("-");
    EXPECT_TRUE(dash->isSeparator());
    EXPECT_EQ(sub->style(), menu.style());
    EXPECT_TRUE(late->isSeparator());
    QMenu* deeper = sub->addMenu("Deeper");
    EXPECT_EQ(deeper->style(), menu.style());
    menu.popup(QPoint(0, 0));
    EXPECT_EQ(menu.actionGeometry(first).height(), 20);
    EXPECT_EQ(menu.actionGeometry(dash).height(), 12);
    menu.hide();
    // A main menu likewise, filled before a form takes it.
    TskMainMenu main;
    QMenu* file = main.addMenu("&File");
    file->addAction("&Open");
    EXPECT_EQ(file->style(), main.style());
}

TEST(SkinMenu, AutomaticHotkeysGiveEveryItemALetterOfItsOwnWhenTheMenuDropsDown) {
    EXPECT_EQ(SkinMenu::RethinkHotkeys({"&Save", "&Send", "Open", "-", "Options", "P&&L", "&&"}),
              (QStringList{"&Save", "S&end", "&Open", "-", "O&ptions", "P&&&L", "&&"}));
    // Nothing left to give: no accelerator.
    EXPECT_EQ(SkinMenu::RethinkHotkeys({"&Ab", "&Ba", "ab"}), (QStringList{"&Ab", "&Ba", "ab"}));

    TskPopupMenu menu;
    QAction* open = menu.addAction(QStringLiteral("Open"));
    QMenu* more = menu.addMenu(QStringLiteral("&More"));
    QAction* deep = more->addAction(QStringLiteral("Deep"));
    EXPECT_EQ(menu.AutoHotkeys(), SkinMenu::TMenuAutoFlag::maAutomatic);
    menu.Popup(0, 0);
    EXPECT_EQ(open->text(), "&Open");
    EXPECT_EQ(deep->text(), "Deep"); // its menu has not dropped down
    more->popup(QPoint(0, 0));
    EXPECT_EQ(deep->text(), "&Deep");
    more->hide();
    menu.hide();
    // Manual: the captions as written.
    TskPopupMenu manual;
    manual.SetAutoHotkeys(SkinMenu::TMenuAutoFlag::maManual);
    QAction* plain = manual.addAction(QStringLiteral("Plain"));
    manual.Popup(0, 0);
    EXPECT_EQ(plain->text(), "Plain");
    manual.hide();
}

TEST(SkinMenu, SelectedItemIsFilledAndFramedWithItsOwnTextColour) {
    TskPopupMenu menu;
    menu.SetUIStyle(TskUIStyle::DeepBlue); // white text when selected, black otherwise
    SkinMenu::ItemData item;
    item.caption = "WWWW";
    const QImage image = DrawItem(menu, item, true);
    EXPECT_EQ(QColor(image.pixel(0, 0)), TskColor::toQColor(menu.SelectedBorderColor()));
    EXPECT_EQ(QColor(image.pixel(80, 1)), TskColor::toQColor(menu.SelectedColor()));
    EXPECT_EQ(QColor(image.pixel(5, 10)), TskColor::toQColor(menu.SelectedColor()));
    const QColor selectedText = TskColor::toQColor(menu.SelectedFontColor());
    const QColor text = TskColor::toQColor(menu.FontColor());
    ASSERT_NE(selectedText, text);
    EXPECT_GT(CountColour(image, selectedText), 4);
    EXPECT_EQ(CountColour(image, text), 0);

    const QImage plain = DrawItem(menu, item, false);
    EXPECT_EQ(QColor(plain.pixel(5, 10)), TskColor::toQColor(menu.BarColor()));
    EXPECT_EQ(QColor(plain.pixel(150, 1)), TskColor::toQColor(menu.Color()));
    EXPECT_GT(CountColour(plain, text), 4);
}

TEST(SkinMenu, SelectedDisabledItemLooksUnselectedAndGrey) {
    TskPopupMenu menu;
    menu.SetUIStyle(TskUIStyle::DeepBlue);
    SkinMenu::ItemData item;
    item.caption = "WWWWWW";
    item.enabled = false;
    const QImage image = DrawItem(menu, item, true);
    EXPECT_EQ(QColor(image.pixel(5, 10)), TskColor::toQColor(menu.BarColor()));
    EXPECT_EQ(QColor(image.pixel(150, 1)), TskColor::toQColor(menu.Color()));
    EXPECT_EQ(CountColour(image, TskColor::toQColor(menu.SelectedColor())), 0);
    EXPECT_GT(CountColour(image, QColor(128, 128, 128)), 0);
}

TEST(SkinMenu, CheckedItemsShowTheMarkOrAFramedImage) {
    TskPopupMenu menu;
    menu.SetUIStyle(TskUIStyle::WinXP);
    const QImage mark = menu.CheckMarkImage();
    ASSERT_EQ(mark.size(), QSize(16, 16));
    const QColor bar = TskColor::toQColor(menu.BarColor());
    SkinMenu::ItemData item;
    item.caption = "Checked";
    item.checked = true;

    // Image index -1: the check mark at (left + 4, top + 3).
    QImage image = DrawItem(menu, item, false);
    EXPECT_TRUE(SameImage(image.copy(4, 3, 16, 16), ExpectedMark(mark, bar)));
    // An index past the image list: the mark and no image.
    menu.SetImages({QImage(16, 16, QImage::Format_RGB32)});
    item.imageIndex = 1;
    image = DrawItem(menu, item, false);
    EXPECT_TRUE(SameImage(image.copy(4, 3, 16, 16), ExpectedMark(mark, bar)));

    // A valid image: black frame and selected-colour fill behind it.
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(Qt::red);
    menu.SetImages({red});
    item.imageIndex = 0;
    image = DrawItem(menu, item, false);
    EXPECT_EQ(QColor(image.pixel(2, 1)), QColor(Qt::black));   // frame (x-2, top+1)
    EXPECT_EQ(QColor(image.pixel(20, 19)), QColor(Qt::black)); // its far corner
    EXPECT_EQ(QColor(image.pixel(3, 2)), TskColor::toQColor(menu.SelectedColor()));
    EXPECT_EQ(QColor(image.pixel(10, 10)), QColor(Qt::red));

    // An action's own icon is no image of the list: checked, the item shows
    // the mark, not the icon; unchecked, the icon.
    QPixmap green(16, 16);
    green.fill(Qt::green);
    item.imageIndex = -1;
    item.icon = QIcon(green);
    image = DrawItem(menu, item, false);
    EXPECT_TRUE(SameImage(image.copy(4, 3, 16, 16), ExpectedMark(mark, bar)));
    EXPECT_EQ(CountColour(image, Qt::green), 0);
    item.checked = false;
    image = DrawItem(menu, item, false);
    EXPECT_EQ(CountColour(image, Qt::green), 256);
}

TEST(SkinMenu, RightToLeftMirrorsTheItem) {
    const QRect r(0, 0, 200, 21);
    const SkinMenu::ItemGeometry ltr = SkinMenu::LayoutItem(r, 26, false, 30);
    EXPECT_EQ(ltr.bar, QRect(0, 0, 26, 21));
    EXPECT_EQ(ltr.caption.left(), 30);
    EXPECT_EQ(ltr.shortcutX, 200 - 30 - 16);
    EXPECT_EQ(ltr.imagePos, QPoint(4, 3));
    const SkinMenu::ItemGeometry rtl = SkinMenu::LayoutItem(r, 26, true, 30);
    EXPECT_EQ(rtl.bar, QRect(174, 0, 26, 21));
    EXPECT_TRUE(rtl.captionRight);
    EXPECT_EQ(RectRight(rtl.caption), 200 - 26 - 4);
    EXPECT_EQ(rtl.shortcutX, 16);
    EXPECT_EQ(rtl.imagePos, QPoint(180, 3));
    EXPECT_TRUE(SkinMenu::LayoutItem(r, 0, false, 0).bar.isNull());
}

TEST(SkinMenu, FileThemeGoneMeansDeepBlue) {
    TskPopupMenu menu;
    menu.SetUIStyle(TskUIStyle::MacOS);
    auto* theme = new TskFileTheme;
    menu.SetFileTheme(theme);
    EXPECT_EQ(menu.UIStyle(), TskUIStyle::MacOS);
    delete theme;
    EXPECT_EQ(menu.UIStyle(), TskUIStyle::DeepBlue);
    EXPECT_EQ(menu.FileTheme(), nullptr);
}

TEST(TskMainMenu, OwnCheckMarksAndImages) {
    TskMainMenu menu;
    EXPECT_EQ(menu.Images(), nullptr);
    EXPECT_EQ(menu.CheckMarkImage().size(), QSize(16, 16));
    menu.SetImages({QImage(16, 16, QImage::Format_RGB32)});
    ASSERT_NE(menu.Images(), nullptr);
    EXPECT_TRUE(SkinMenu::ValidImageIndex(0, menu.ItemImages()));
    menu.ClearImages();
    EXPECT_FALSE(SkinMenu::ValidImageIndex(0, menu.ItemImages()));
}

TEST(TskMainMenu, ShortcutsRunTheirItem) {
    TskMainMenu menu;
    QMenu* file = menu.addMenu("&File");
    QAction* save = file->addAction("&Save");
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    int runs = 0;
    QObject::connect(save, &QAction::triggered, [&] { ++runs; });
    QKeyEvent ctrlS(QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier);
    QKeyEvent plainS(QEvent::KeyPress, Qt::Key_S, Qt::NoModifier);
    EXPECT_TRUE(menu.IsShortCut(&ctrlS));
    EXPECT_FALSE(menu.IsShortCut(&plainS));
    save->setEnabled(false);
    EXPECT_FALSE(menu.IsShortCut(&ctrlS));
    EXPECT_EQ(runs, 1);
}

TEST(TskMainMenu, TheSkinnedFormOfItsWindowTakesIt) {
    QWidget window;
    auto* form = new TskForm(&window);
    form->SetUIStyle(TskUIStyle::Protein);
    auto* menu = new TskMainMenu(&window);
    EXPECT_EQ(form->assignedMenu, menu);
    EXPECT_EQ(menu->UIStyle(), TskUIStyle::Protein);
}
