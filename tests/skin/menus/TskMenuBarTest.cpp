#include "skin/menus/TskMenuBar.h"

#include "TskThemeFileWriter.h"
#include "component/AlignLayout.h"
#include "skin/form/TskForm.h"
#include "skin/form/TskTitleBar.h"
#include "skin/menus/SkinMenuDrawing.h"
#include "skin/menus/TskMainMenu.h"
#include "skin/menus/TskPopupMenu.h"
#include "skin/theme/TskFileTheme.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct MenuWindow {
    QWidget window;
    TskForm* form;
    TskMainMenu* menu;
    QList<QAction*> items;

    explicit MenuWindow(TskUIStyle style = TskUIStyle::DeepBlue) {
        window.resize(360, 160);
        form = new TskForm(&window);
        form->SetUIStyle(style);
        // Created on the window, the menu hands itself to the form.
        menu = new TskMainMenu(&window);
        for (const char* caption : {"&File", "&Edit", "&Help"}) {
            QMenu* sub = menu->addMenu(QString::fromLatin1(caption));
            sub->addAction(QStringLiteral("Item"));
            items.append(sub->menuAction());
        }
        menu->HookMenuItems();
    }
};

// The darkest pixel of an area: where the caption's strokes are.
int darkest(const QImage& image, const QRect& area) {
    int result = 255;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            result = qMin(result, qGray(image.pixel(x, y)));
    return result;
}

} // namespace

TEST(TskMenuBar, ThreeItemsGiveThreeButtonsInOrderUnderTheTitleBar) {
    MenuWindow w;
    ASSERT_EQ(w.form->Menu(), w.menu);
    TskMenuBar* bar = w.form->MenuBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->ButtonCount(), 3);
    EXPECT_EQ(bar->ButtonAction(0)->text(), "&File");
    EXPECT_EQ(bar->ButtonAction(2)->text(), "&Help");
    EXPECT_LT(bar->ButtonRect(0).left(), bar->ButtonRect(1).left());
    EXPECT_LT(bar->ButtonRect(1).left(), bar->ButtonRect(2).left());
    EXPECT_EQ(bar->ButtonRect(1).height(), 22);
    EXPECT_EQ(bar->geometry(), QRect(0, w.form->GetTitleBarHeight(), 360, 22));
    // Height follows MenuBarHeight; the ring beside it takes the bar's colour.
    w.form->SetMenuBarHeight(30);
    EXPECT_EQ(bar->height(), 30);
    EXPECT_EQ(bar->ButtonRect(0).height(), 30);
    EXPECT_TRUE(w.form->FrameInput().menuBarVisible);
    // Removing the menu removes the bar; so does deleting it.
    w.form->SetMenu(nullptr);
    EXPECT_EQ(w.form->MenuBar(), nullptr);
    EXPECT_EQ(w.menu->SkinForm(), nullptr);
    w.form->SetMenu(w.menu);
    ASSERT_NE(w.form->MenuBar(), nullptr);
    delete w.menu;
    EXPECT_EQ(w.form->MenuBar(), nullptr);
    EXPECT_EQ(w.form->Menu(), nullptr);
}

TEST(TskMenuBar, ButtonsThatDoNotFitWrapOntoAnotherRowAndTheBarGrows) {
    EXPECT_EQ(
        TskMenuBar::WrapButtons({40, 50, 30}, 100, 22),
        (std::vector<QRect>{QRect(0, 0, 40, 22), QRect(40, 0, 50, 22), QRect(0, 22, 30, 22)}));
    // A button wider than the bar has a row of its own.
    EXPECT_EQ(TskMenuBar::WrapButtons({150, 10}, 100, 20),
              (std::vector<QRect>{QRect(0, 0, 150, 20), QRect(0, 20, 10, 20)}));

    MenuWindow w;
    // Large captions, so that the window can be narrower than the buttons.
    w.menu->SetUseSystemFont(false);
    w.menu->SetFontSize(28);
    auto* below = new QWidget(w.form);
    AlignLayout::setAlign(below, AlignLayout::alClient);
    w.window.show();
    TskMenuBar* bar = w.form->MenuBar();
    const int top = w.form->GetTitleBarHeight();
    ASSERT_EQ(bar->height(), 22);
    EXPECT_EQ(below->y(), top + 22);
    // Narrower than the three buttons: the last one goes to the next row, and
    // what lies below the bar moves down, as do the ring's pieces beside it.
    const int barWidth = bar->ButtonRect(1).right() + 1 + bar->ButtonRect(2).width() / 2;
    ASSERT_GE(barWidth + 6, w.window.minimumWidth());
    w.window.resize(barWidth + 6, 160);
    QApplication::processEvents();
    ASSERT_EQ(bar->width(), barWidth);
    EXPECT_EQ(bar->ButtonRect(2).topLeft(), QPoint(0, 22));
    EXPECT_EQ(bar->height(), 44);
    EXPECT_EQ(below->y(), top + 44);
    EXPECT_EQ(w.form->FrameInput().menuBarHeight, 44);
    // Wide again: one row.
    w.window.resize(360, 160);
    QApplication::processEvents();
    EXPECT_EQ(bar->height(), 22);
    EXPECT_EQ(below->y(), top + 22);
}

TEST(TskMenuBar, ADropDownFollowsThePointerAndTheArrowKeysAlongTheBar) {
    MenuWindow w;
    w.window.show();
    w.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
    TskMenuBar* bar = w.form->MenuBar();
    auto pressOn = [&](QWidget* target, int button) {
        const QPoint global = bar->mapToGlobal(bar->ButtonRect(button).center());
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(target->mapFromGlobal(global)),
                          QPointF(global), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    };
    pressOn(bar, 0);
    ASSERT_EQ(bar->OpenButton(), 0);
    QMenu* file = w.items[0]->menu();
    EXPECT_TRUE(file->isVisible());
    // The open drop-down has the pointer; over the next button, that one
    // drops down instead.
    const QPoint overEdit = bar->mapToGlobal(bar->ButtonRect(1).center());
    QMouseEvent move(QEvent::MouseMove, QPointF(file->mapFromGlobal(overEdit)), QPointF(overEdit),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(file, &move);
    EXPECT_EQ(bar->OpenButton(), 1);
    EXPECT_FALSE(file->isVisible());
    QMenu* edit = w.items[1]->menu();
    EXPECT_TRUE(edit->isVisible());
    // Right and Left go along the bar, round its ends.
    QTest::keyClick(edit, Qt::Key_Right);
    EXPECT_EQ(bar->OpenButton(), 2);
    QTest::keyClick(w.items[2]->menu(), Qt::Key_Right);
    EXPECT_EQ(bar->OpenButton(), 0);
    QTest::keyClick(file, Qt::Key_Left);
    EXPECT_EQ(bar->OpenButton(), 2);
    // A press on the open button closes it.
    pressOn(w.items[2]->menu(), 2);
    EXPECT_EQ(bar->OpenButton(), -1);
    EXPECT_FALSE(w.items[2]->menu()->isVisible());
    // Alt and the underlined letter drops a menu down from the keyboard.
    QTest::keyClick(&w.window, Qt::Key_E, Qt::AltModifier);
    EXPECT_EQ(bar->OpenButton(), 1);
    EXPECT_NE(edit->activeAction(), nullptr);
    edit->hide();
    EXPECT_EQ(bar->OpenButton(), -1);
}

TEST(TskMenuBar, AnyMenuButASkinnedOneKeepsTheBarsOwnFont) {
    MenuWindow w;
    QFont own(QStringLiteral("DejaVu Serif"));
    own.setPointSize(17);
    w.form->QWidget::setFont(own);
    TskMenuBar* bar = w.form->MenuBar();
    QFont system;
    SetMenuFont(system);
    EXPECT_EQ(bar->DrawFont().pointSize(), system.pointSize());
    w.menu->SetUseSystemFont(false);
    w.menu->SetFontSize(23);
    EXPECT_EQ(bar->DrawFont().pointSize(), 23);
    // A plain menu has no say: a bar made for it writes in its own font.
    w.form->SetMenu(nullptr);
    QMenu plain;
    plain.addMenu(QStringLiteral("&Plain"));
    w.form->SetMenu(&plain);
    ASSERT_NE(w.form->MenuBar(), nullptr);
    EXPECT_EQ(w.form->MenuBar()->DrawFont().pointSize(), 17);
    w.form->UpdateMenuBarFont();
    EXPECT_EQ(w.form->MenuBar()->DrawFont().pointSize(), 17);
    w.form->SetMenu(nullptr);
}

TEST(TskMenuBar, ADisabledItemIsGreyedAfterTheMenuChanges) {
    MenuWindow w;
    w.window.show();
    QApplication::processEvents();
    TskMenuBar* bar = w.form->MenuBar();
    w.items[1]->setEnabled(false);
    QApplication::processEvents();
    const QImage image = bar->grab().toImage();
    const int enabledInk = darkest(image, bar->ButtonRect(0));
    const int disabledInk = darkest(image, bar->ButtonRect(1));
    EXPECT_LT(enabledInk, 0x40);
    EXPECT_GE(disabledInk, 0x70);
    EXPECT_LE(disabledInk, 0x90);
}

TEST(TskMenuBar, ButtonLooksByStyle) {
    const QRect r(10, 0, 40, 22);
    TskMenuBar::ButtonState state;
    // Normal: the caption 2 pixels down, menu font colour or grey when disabled.
    TskMenuBar::ButtonLook look = TskMenuBar::LookOf(TskUIStyle::WinXP, nullptr, r, state);
    EXPECT_FALSE(look.filled);
    EXPECT_EQ(look.text, QRect(10, 2, 40, 20));
    EXPECT_EQ(look.textColor, 0);
    state.enabled = false;
    EXPECT_EQ(TskMenuBar::LookOf(TskUIStyle::WinXP, nullptr, r, state).textColor, 0x00808080);
    // WinXP selected: filled and framed 2 pixels short at the right, caption
    // a further 2 pixels in at the left and the top.
    state = {};
    state.selected = true;
    look = TskMenuBar::LookOf(TskUIStyle::WinXP, nullptr, r, state);
    EXPECT_TRUE(look.filled);
    EXPECT_EQ(look.fill, QRect(10, 0, 38, 22));
    EXPECT_EQ(look.fillColor, 0x00EFD3C6);
    EXPECT_EQ(look.frameColor, 0x00C66931);
    EXPECT_EQ(look.text, QRect(12, 2, 36, 20));
    EXPECT_EQ(look.textColor, 0);
    // Hot only: the full width.
    state = {};
    state.hot = true;
    look = TskMenuBar::LookOf(TskUIStyle::BlueGlass, nullptr, r, state);
    EXPECT_EQ(look.fill, r);
    EXPECT_EQ(look.fillColor, 0x00EC5E5E);
    EXPECT_EQ(look.textColor, 0x00FFFFFF);
    // MacOS hot: the selection image with the selected font colour.
    look = TskMenuBar::LookOf(TskUIStyle::MacOS, nullptr, r, state);
    EXPECT_TRUE(look.selectImage);
    EXPECT_FALSE(look.filled);
    EXPECT_EQ(look.textColor, 0x00FFFFFF);
    EXPECT_EQ(look.text, QRect(10, 0, 40, 24));
}

TEST(TskMenuBar, ThemeFilesGiveTheCaptionColourUnlessTheyMarkTheWhiteFamily) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A theme file with its own menu text colour and a family marker.
    auto themeMarked = [&](qint32 marker) {
        TskThemeFileWriter writer;
        writer.AddInt(QStringLiteral("MenuFontColor"), 0x123456);
        writer.AddInt(QStringLiteral("ControlFontColor"), marker);
        const QString path = dir.filePath(QStringLiteral("marker%1.vsk").arg(marker, 0, 16));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(writer.Bytes()) > 0);
        file.close();
        auto* theme = new TskFileTheme;
        theme->SetThemeFile(path);
        EXPECT_TRUE(theme->IsThemeLoaded());
        return std::unique_ptr<TskFileTheme>(theme);
    };
    const QRect r(10, 0, 40, 22);
    TskMenuBar::ButtonState normal;
    TskMenuBar::ButtonState disabled;
    disabled.enabled = false;
    const auto own = themeMarked(0x20000);
    EXPECT_EQ(TskMenuBar::LookOf(TskUIStyle::FromThemeFile, own.get(), r, normal).textColor,
              0x123456);
    EXPECT_EQ(TskMenuBar::LookOf(TskUIStyle::FromThemeFile, own.get(), r, disabled).textColor,
              0x00808080);
    // A built-in style keeps its own colour whatever the theme holds.
    EXPECT_EQ(TskMenuBar::LookOf(TskUIStyle::WinXP, own.get(), r, normal).textColor, 0);
    const auto white = themeMarked(0x30000);
    EXPECT_EQ(TskMenuBar::LookOf(TskUIStyle::FromThemeFile, white.get(), r, normal).textColor,
              0x00FFFFFF);
    // The popup menus take the file's colour as it is.
    TskPopupMenu popup;
    popup.SetFileTheme(own.get());
    popup.SetUIStyle(TskUIStyle::FromThemeFile);
    EXPECT_EQ(popup.FontColor(), 0x123456);
    popup.SetFileTheme(nullptr);
}

TEST(TskMenuBar, MacOsBarShowsItsImagesAndTheHotButtonsSelection) {
    MenuWindow w(TskUIStyle::MacOS);
    w.window.show();
    QApplication::processEvents();
    TskMenuBar* bar = w.form->MenuBar();
    const QImage before = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Past the buttons the bar shows the MacOS bar image.
    const QImage barImage =
        LoadBuiltinImage(QStringLiteral("MACOS_MENU_BAR")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(bar->height(), barImage.height());
    for (int y = 0; y < bar->height(); ++y)
        EXPECT_EQ(before.pixel(bar->width() - 5, y), barImage.pixel(0, y)) << y;
    const QPoint at = bar->ButtonRect(1).center();
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(bar->mapToGlobal(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    QApplication::processEvents();
    const QImage after = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);

    // The hot button changed, its neighbours did not.
    const QRect hot = bar->ButtonRect(1);
    EXPECT_NE(before.copy(hot), after.copy(hot));
    EXPECT_EQ(before.copy(bar->ButtonRect(0)), after.copy(bar->ButtonRect(0)));
}

TEST(TskMenuBar, AShortcutRunsItsItemOnlyWhileTheFormIsActive) {
    MenuWindow w;
    QAction* open = w.items[0]->menu()->addAction(QStringLiteral("Open"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    int runs = 0;
    QObject::connect(open, &QAction::triggered, [&] { ++runs; });
    auto* edit = new QLineEdit(w.form);
    edit->setGeometry(10, 60, 100, 20);
    w.window.show();
    w.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
    edit->setFocus();
    // Ctrl+K would cut the line in the edit: it must not get there.
    edit->setText(QStringLiteral("abc"));
    edit->setCursorPosition(0);
    QTest::keyClick(edit, Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(edit->text(), "abc");
    // Another window active: the key goes to it and the item stays put.
    QWidget other;
    auto* otherEdit = new QLineEdit(&other);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QTest::keyClick(otherEdit, Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(runs, 1);
    // A plain key is not a shortcut and reaches the control.
    w.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
    edit->clear();
    QTest::keyClick(edit, Qt::Key_K);
    EXPECT_EQ(edit->text(), "k");
    EXPECT_EQ(runs, 1);
}
