#include "skin/form/TskTitleBarPopupMenu.h"
#include "TitleBarTestSupport.h"
#include "skin/form/TskTitleBar.h"
#include "strings/StringTable.h"

#include <QAction>
#include <gtest/gtest.h>

using namespace titlebartest;

namespace {

struct WindowWithBar {
    QWidget window;
    TskTitleBar* bar = new TskTitleBar(&window);
    TskTitleBarPopupMenu* menu = bar->SystemMenu();
    WindowWithBar() { window.resize(300, 100); }
};

// Sets the process locale for the life of the object.
class LocaleOverride {
public:
    explicit LocaleOverride(const char* locale) : m_old(qgetenv("LC_ALL")) {
        qputenv("LC_ALL", locale);
    }
    ~LocaleOverride() { qputenv("LC_ALL", m_old); }

private:
    QByteArray m_old;
};

} // namespace

TEST(TskTitleBarPopupMenu, FourEntriesWithTheirAccelerators) {
    WindowWithBar w;
    const QList<QAction*> items = w.menu->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0]->text(), "Mi&nimize");
    EXPECT_EQ(items[1]->text(), "Ma&ximize/Restore");
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3]->text(), "&Close");
    // They are the program's string-table texts, not copies of them.
    EXPECT_EQ(items[0]->text(), StringTable::text(65249));
    EXPECT_EQ(items[1]->text(), StringTable::text(65250));
    EXPECT_EQ(items[3]->text(), StringTable::text(65251));
    EXPECT_EQ(items[0], w.menu->MinimizeItem());
    EXPECT_EQ(items[3], w.menu->CloseItem());
    // Exactly those letters: the menu gives none of its own.
    EXPECT_EQ(w.menu->AutoHotkeys(), SkinMenu::TMenuAutoFlag::maManual);
}

TEST(TskTitleBarPopupMenu, EntriesFollowTheVisibleButtons) {
    WindowWithBar w;
    w.menu->UpdateItemStates();
    EXPECT_TRUE(w.menu->MinimizeItem()->isEnabled());
    EXPECT_TRUE(w.menu->MaximizeItem()->isEnabled());
    EXPECT_TRUE(w.menu->CloseItem()->isEnabled());

    w.bar->Buttons()->Items(3)->SetVisible(false); // the minimize button
    w.window.show();
    w.menu->Popup(0, 0); // recomputed at every popup
    EXPECT_FALSE(w.menu->MinimizeItem()->isEnabled());
    EXPECT_TRUE(w.menu->MaximizeItem()->isEnabled());
    EXPECT_TRUE(w.menu->CloseItem()->isEnabled());
    w.menu->hide();

    w.bar->Buttons()->Clear();
    w.menu->UpdateItemStates();
    EXPECT_FALSE(w.menu->MaximizeItem()->isEnabled());
    EXPECT_FALSE(w.menu->CloseItem()->isEnabled());
}

TEST(TskTitleBarPopupMenu, MaximizeRestoresAMaximizedWindowAndCloseCloses) {
    WindowWithBar w;
    w.window.show();
    w.menu->MaximizeItem()->trigger();
    EXPECT_TRUE(w.window.isMaximized());
    w.menu->MaximizeItem()->trigger();
    EXPECT_FALSE(w.window.isMaximized());
    w.menu->MinimizeItem()->trigger();
    EXPECT_TRUE(w.window.isMinimized());
    w.menu->CloseItem()->trigger();
    EXPECT_FALSE(w.window.isVisible());
}

TEST(TskTitleBarPopupMenu, RightToLeftMiddleEastOpensFurtherRight) {
    EXPECT_EQ(TskTitleBarPopupMenu::PopupPoint(QPoint(10, 20), true), QPoint(186, 20));
    EXPECT_EQ(TskTitleBarPopupMenu::PopupPoint(QPoint(10, 20), false), QPoint(10, 20));
    WindowWithBar w;
    w.window.setLayoutDirection(Qt::RightToLeft);
    {
        LocaleOverride arabic("ar_EG.UTF-8");
        EXPECT_TRUE(w.bar->IsRightToLeft());
    }
    {
        LocaleOverride english("en_GB.UTF-8");
        EXPECT_FALSE(w.bar->IsRightToLeft()); // mirrored layout, but not a Middle-East locale
    }
}

TEST(TskTitleBarPopupMenu, DrawnInTheTitleBarsStyle) {
    WindowWithBar w;
    w.bar->SetUIStyle(TskUIStyle::MacOS);
    EXPECT_EQ(w.menu->UIStyle(), TskUIStyle::MacOS);
    w.window.show();
    w.menu->Popup(0, 0);
    EXPECT_EQ(w.menu->actionGeometry(w.menu->MinimizeItem()).height(), 20);
    EXPECT_EQ(w.menu->actionGeometry(w.menu->actions()[2]).height(), 12);
    w.menu->hide();
    w.bar->SetUIStyle(TskUIStyle::Protein);
    EXPECT_EQ(w.menu->MenuItemHeight(), 21);
    EXPECT_EQ(w.menu->SeparatorHeight(), 5);
}
