// The program's main window on a real X display, with and without a window
// manager, with its real banner.

#include "app/TFMain.h"
#include "app/controls/TWebBrowser.h"
#include "skin/form/SkinMainForm.h"
#include "skin/form/TskForm.h"
#include "skin/form/TskTitleBar.h"
#include "skin/form/TskTitleBarButtons.h"
#include "tests/skin/form/RealPointer.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

// What the screen shows where the banner is.
QImage bannerOnScreen(const TFMain& window) {
    const TWebBrowser* banner = window.WebBrowser2;
    const QPoint at = banner->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, at.x(), at.y(), banner->width(), banner->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// A page shows many colours, a blank pane one or two.
int coloursIn(const QImage& image) {
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            seen.insert(image.pixel(x, y));
    return int(seen.size());
}

QPoint minimizeButtonOf(TFMain& window) {
    TskTitleBar* bar = window.skForm1->TitleBar();
    const TskTitleBar::Layout layout = bar->CurrentLayout();
    for (int i = 0; i < bar->Buttons()->Count(); ++i)
        if (bar->Buttons()->Items(i)->ButtonType() == TskTitleBarButton::skMin)
            return bar->mapToGlobal(layout.rects[size_t(i)].center());
    return {};
}

} // namespace

TEST(TFMainWindow, TheBannerShowsItsPageAgainAfterMinimizeAndRestore) {
    if (!RealPointer::Available())
        GTEST_SKIP() << "needs an X display and xdotool";
    TFMain window;
    window.loadLayout();
    SetApplicationMainForm(&window);
    // Listening from before the window shows: offline, the banner's address
    // fails at once and its built-in page may be complete before the window
    // has been placed. (A spy's wait() only sees signals still to come.)
    QSignalSpy complete(window.WebBrowser2, &TWebBrowser::OnDocumentComplete);
    window.show();
    ASSERT_TRUE(RealPointer::WaitPlaced(&window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !complete.isEmpty(); }, 30000));
    // The page has reached the screen once it stops changing.
    QImage before;
    RealPointer::SettleUntil(
        [&] {
            const QImage now = bannerOnScreen(window);
            const bool same = now == before;
            before = now;
            return same && coloursIn(now) > 50;
        },
        15000);
    ASSERT_GT(coloursIn(before), 50) << "the banner never showed its page";

    RealPointer pointer;
    const QPoint minimize = minimizeButtonOf(window);
    ASSERT_FALSE(minimize.isNull());
    pointer.Click(minimize);
    if (RealPointer::WindowManagerRunning()) {
        EXPECT_TRUE(RealPointer::SettleUntil([&] { return !window.windowHandle()->isExposed(); }));
        window.showNormal();
    } else {
        // Nobody takes the window off the screen: it stays as it was.
        RealPointer::Settle(500);
        EXPECT_EQ(coloursIn(bannerOnScreen(window)), coloursIn(before));
    }
    // Brought to the front, as a task switcher does.
    window.show();
    window.raise();
    window.activateWindow();
    EXPECT_TRUE(RealPointer::SettleUntil([&] { return bannerOnScreen(window) == before; }, 5000));
    EXPECT_FALSE(window.isMinimized());
    SetApplicationMainForm(nullptr);
}
