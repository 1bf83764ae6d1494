// The skinned window on a real X display, with and without a window manager,
// handled with the X server's own pointer.

#include "MaximizedOnScreen.h"
#include "RealPointer.h"
#include "platform/WindowManager.h"
#include "skin/controls/TskButton.h"
#include "skin/form/SkinMainForm.h"
#include "skin/form/TskForm.h"
#include "skin/form/TskTitleBar.h"
#include "skin/form/TskTitleBarButtons.h"
#include "skin/form/TskTitleBarPopupMenu.h"
#include "skin/menus/TskMainMenu.h"
#include "skin/menus/TskMenuBar.h"

#include <QApplication>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A sizeable window carrying a skinned form, shown and placed.
struct ShownWindow {
    QPointer<QWidget> window = new QWidget;
    TskForm* form = nullptr;
    explicit ShownWindow(TskUIStyle style = TskUIStyle::MacOS) {
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(QStringLiteral("Skinned"));
        window->resize(400, 260);
        form = new TskForm(window);
        form->SetUIStyle(style);
        window->move(200, 150);
        window->show();
        window->activateWindow();
    }
    ~ShownWindow() { delete window.data(); }
    QRect frame() const { return window->geometry(); }
};

class SkinnedWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!RealPointer::Available())
            GTEST_SKIP() << "needs an X display and xdotool";
        // Each pointer step is its own xdotool process; on a busy machine two
        // of them can start further apart than a person's double click.
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(1000);
    }
    RealPointer pointer;
};

} // namespace

TEST_F(SkinnedWindow, TheWindowManagerIsSeenWhereOneRuns) {
    const bool running = RealPointer::WindowManagerRunning();
    EXPECT_EQ(WindowManager::RunningOnX(), running);
    EXPECT_EQ(WindowManager::MissingOnX(), !running);
    // openbox offers moves; without a manager the title bar moves the window.
    EXPECT_EQ(WindowManager::WhoMoves(),
              running ? WindowManager::Mover::Manager : WindowManager::Mover::Nobody);
    EXPECT_FALSE(WindowManager::OnCompositor());
}

TEST_F(SkinnedWindow, DraggingTheRightEdgeWidensTheWindowByTheDrag) {
    ShownWindow w;
    ASSERT_TRUE(RealPointer::WaitPlaced(w.window));
    const QRect before = w.frame();
    const QPoint edge(before.right(), before.center().y());
    pointer.Drag(edge, edge + QPoint(70, 0));
    RealPointer::SettleUntil([&] { return w.frame() == before.adjusted(0, 0, 70, 0); });
    EXPECT_EQ(w.frame(), before.adjusted(0, 0, 70, 0));
    // The layout follows: the form fills the window inside the ring.
    EXPECT_EQ(w.form->geometry(), QRect(3, 3, before.width() + 70 - 6, before.height() - 6));
}

TEST_F(SkinnedWindow, DraggingTheTopLeftCornerKeepsTheOppositeCornerAndTheMinimumSize) {
    ShownWindow w;
    ASSERT_TRUE(RealPointer::WaitPlaced(w.window));
    const QRect before = w.frame();
    pointer.Drag(before.topLeft(), before.topLeft() + QPoint(-40, -30));
    RealPointer::SettleUntil([&] { return w.frame() == before.adjusted(-40, -30, 0, 0); });
    EXPECT_EQ(w.frame(), before.adjusted(-40, -30, 0, 0));
    // Far past the minimum: the window stops at it, its bottom-right corner stays.
    const QRect grown = w.frame();
    pointer.Drag(grown.topLeft(), grown.topLeft() + QPoint(grown.width(), grown.height()), 6);
    RealPointer::SettleUntil([&] { return w.frame().size() == w.window->minimumSize(); });
    EXPECT_EQ(w.frame().size(), w.window->minimumSize());
    EXPECT_EQ(w.frame().bottomRight(), grown.bottomRight());
}

TEST_F(SkinnedWindow, ThePointerShowsWhichWayAnEdgeResizes) {
    ShownWindow w;
    ASSERT_TRUE(RealPointer::WaitPlaced(w.window));
    const QRect r = w.frame();
    // The shape once the motion has been handled: on a loaded machine that
    // may take longer than the pointer's own step.
    auto shapeAt = [&](QPoint at, Qt::CursorShape expected) {
        pointer.MoveTo(at);
        Qt::CursorShape shape = Qt::BlankCursor;
        RealPointer::SettleUntil(
            [&] {
                QWidget* under = QApplication::widgetAt(at);
                shape = under ? under->cursor().shape() : Qt::BlankCursor;
                return shape == expected;
            },
            3000);
        return shape;
    };
    const auto expectShape = [&](QPoint at, Qt::CursorShape expected) {
        EXPECT_EQ(shapeAt(at, expected), expected) << at.x() << "," << at.y();
    };
    expectShape(QPoint(r.right() - 1, r.center().y()), Qt::SizeHorCursor);
    expectShape(QPoint(r.right(), r.bottom()), Qt::SizeFDiagCursor);
    expectShape(QPoint(r.left() + 1, r.bottom()), Qt::SizeBDiagCursor);
    expectShape(QPoint(r.center().x(), r.top() + 1), Qt::SizeVerCursor);
    // Off the ring, straight from it.
    expectShape(QPoint(r.center().x(), r.top() + 30), Qt::ArrowCursor);
    expectShape(r.center(), Qt::ArrowCursor);
    // A maximized window has no edges to drag.
    w.window->setWindowState(Qt::WindowMaximized);
    RealPointer::Settle(300);
    const QRect m = w.frame();
    expectShape(QPoint(m.center().x(), m.bottom() - 1), Qt::ArrowCursor);
}

TEST_F(SkinnedWindow, DraggingTheTitleBarKeepsTheGrabbedPointUnderThePointer) {
    ShownWindow w;
    ASSERT_TRUE(RealPointer::WaitPlaced(w.window));
    const QRect before = w.frame();
    const QPoint grab = before.topLeft() + QPoint(150, 10);
    pointer.Drag(grab, grab + QPoint(100, 70));
    const QPoint moved = w.frame().topLeft() - before.topLeft();
    EXPECT_NEAR(moved.x(), 100, 1);
    EXPECT_NEAR(moved.y(), 70, 1);
    EXPECT_EQ(w.frame().size(), before.size());
    // A few pixels, well short of a drag distance, move it too: the window
    // goes with the pointer from its first motion.
    const QRect after = w.frame();
    const QPoint again = after.topLeft() + QPoint(150, 10);
    pointer.Drag(again, again + QPoint(3, 2), 3);
    RealPointer::SettleUntil([&] { return w.frame().topLeft() != after.topLeft(); }, 2000);
    EXPECT_EQ(w.frame().topLeft() - after.topLeft(), QPoint(3, 2));
}

TEST_F(SkinnedWindow, DoubleClickOnTheControlBoxClosesTheWindow) {
    ShownWindow w;
    ASSERT_TRUE(RealPointer::WaitPlaced(w.window));
    const QRect box = w.form->TitleBar()->CurrentLayout().rects[0];
    ASSERT_FALSE(box.isNull());
    const QPoint at = w.form->TitleBar()->mapToGlobal(box.center());
    // One click opens the system menu...
    TskTitleBarPopupMenu* menu = w.form->TitleBar()->SystemMenu();
    pointer.Click(at);
    EXPECT_TRUE(RealPointer::SettleUntil([&] { return menu->isVisible(); }));
    pointer.Click(at + QPoint(0, 300));
    EXPECT_TRUE(RealPointer::SettleUntil([&] { return !menu->isVisible(); }));
    ASSERT_TRUE(w.window);
    RealPointer::Settle(600);
    // ...two close the window.
    pointer.DoubleClick(at);
    EXPECT_TRUE(RealPointer::SettleUntil([&] { return !w.window || !w.window->isVisible(); }));
    EXPECT_FALSE(w.window && w.form->TitleBar()->SystemMenu()->isVisible());
}

TEST_F(SkinnedWindow, TheMaximizeButtonOfATitleBarOnAnOrdinaryWindowUsesTheWorkArea) {
    // An ordinary window under a window manager wears that manager's frame,
    // and the manager places it when maximized.
    if (RealPointer::WindowManagerRunning())
        GTEST_SKIP() << "the window manager places an ordinary window itself";
    QWidget window;
    window.setWindowTitle(QStringLiteral("Ordinary"));
    window.resize(320, 100);
    window.move(150, 120);
    auto* bar = new TskTitleBar(&window);
    bar->SetUIStyle(TskUIStyle::WinXP);
    window.show();
    ASSERT_TRUE(RealPointer::WaitPlaced(&window));
    const QRect normal = window.geometry();
    TskTitleBar::Layout layout = bar->CurrentLayout();
    int max = -1;
    for (int i = 0; i < bar->Buttons()->Count(); ++i)
        if (bar->Buttons()->Items(i)->ButtonType() == TskTitleBarButton::skMax)
            max = i;
    ASSERT_GE(max, 0);
    pointer.Click(bar->mapToGlobal(layout.rects[size_t(max)].center()));
    const QRect widened = TskForm::MaximizedBounds(GetWorkAreaRect());
    RealPointer::SettleUntil([&] { return window.geometry() == widened; });
    EXPECT_TRUE(window.isMaximized());
    EXPECT_EQ(window.geometry(), widened);
    layout = bar->CurrentLayout();
    pointer.Click(bar->mapToGlobal(layout.rects[size_t(max)].center()));
    RealPointer::SettleUntil([&] { return window.geometry() == normal; });
    EXPECT_FALSE(window.isMaximized());
    EXPECT_EQ(window.geometry(), normal);
}

// Where the skinned window lies on the screen: maximized, the work area with
// the frame pushed off the screen on the left, top and right and 1 pixel
// short of the bottom, whether the window took those bounds itself (no
// window manager) or a window manager holds it to the work area.
QRect skinOnScreen(const QWidget* window, const TskForm* form) {
    const QRect skin = form->SkinRect();
    return QRect(window->mapToGlobal(skin.topLeft()), skin.size());
}

TEST_F(SkinnedWindow, DoubleClickOnTheTitleMaximizesAndAgainRestores) {
    ShownWindow w;
    ASSERT_TRUE(RealPointer::WaitPlaced(w.window));
    const QRect normal = w.frame();
    pointer.DoubleClick(normal.topLeft() + QPoint(200, 10));
    const QRect maximized = TskForm::MaximizedBounds(GetWorkAreaRect());
    EXPECT_TRUE(
        RealPointer::SettleUntil([&] { return skinOnScreen(w.window, w.form) == maximized; }));
    EXPECT_TRUE(w.window->isMaximized());
    // The bar is at the screen's top now.
    pointer.DoubleClick(w.window->mapToGlobal(QPoint(200, 10)));
    EXPECT_TRUE(RealPointer::SettleUntil([&] { return w.frame() == normal; }));
    EXPECT_FALSE(w.window->isMaximized());
}

// What the X server holds as the window's shape: empty when it has none.
QString shapeOf(const QWidget* window) {
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {"-shape", "-id", QString::number(window->winId())});
    xwininfo.waitForFinished(5000);
    const QString out = QString::fromUtf8(xwininfo.readAllStandardOutput());
    if (out.contains(QLatin1String("No window shape defined")))
        return {};
    const qsizetype from = out.indexOf(QLatin1String("Window shape extents"));
    return from < 0 ? QStringLiteral("?") : out.mid(from).section(QLatin1Char('\n'), 0, 0);
}

QRgb onScreen(QPoint at) {
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, at.x(), at.y(), 1, 1)
        .toImage()
        .pixel(0, 0);
}

TEST_F(SkinnedWindow, RoundCornersShapeTheWindowAndSquareOnesTakeTheShapeAway) {
    ShownWindow w(TskUIStyle::WinXP);
    ASSERT_TRUE(RealPointer::WaitPlaced(w.window));
    const QRect frame = w.frame();
    // The desktop beside the window, and where the rounding cuts it off.
    const QPoint beside = frame.topLeft() - QPoint(5, 5);
    const QPoint cutCorner = frame.topLeft();
    EXPECT_FALSE(shapeOf(w.window).isEmpty());
    EXPECT_EQ(onScreen(cutCorner), onScreen(beside));
    // A style with square corners (and a grey frame, unlike the black
    // desktop): the whole rectangle is the window again.
    w.form->SetUIStyle(TskUIStyle::MacOS);
    RealPointer::Settle(200);
    EXPECT_EQ(shapeOf(w.window), QString());
    EXPECT_NE(onScreen(cutCorner), onScreen(beside));
    // And round again.
    w.form->SetUIStyle(TskUIStyle::WinXP);
    RealPointer::Settle(200);
    EXPECT_FALSE(shapeOf(w.window).isEmpty());
    EXPECT_EQ(onScreen(cutCorner), onScreen(beside));
}

TEST_F(SkinnedWindow, MaximizingCoversTheWorkAreaWithTheFrameOffScreen) {
    ShownWindow w;
    w.form->SetBorderColor(maximizedtest::kBorder);
    ASSERT_TRUE(RealPointer::WaitPlaced(w.window));
    const QRect normal = w.frame();
    const QRect area = GetWorkAreaRect();
    const QImage behind = QGuiApplication::primaryScreen()
                              ->grabWindow(0, 0, area.bottom(), area.right() + 1, 1)
                              .toImage();
    // As a person maximizes it: a double click on the title.
    pointer.DoubleClick(normal.topLeft() + QPoint(200, 10));
    QStringList wrong;
    RealPointer::SettleUntil([&] {
        if (!w.window->isMaximized())
            return false;
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        wrong = maximizedtest::Check(screen, area, w.form, behind);
        return wrong.isEmpty();
    });
    EXPECT_TRUE(w.window->isMaximized());
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QStringLiteral("; ")).toStdString();
    EXPECT_EQ(skinOnScreen(w.window, w.form), TskForm::MaximizedBounds(area));
    w.window->setWindowState(Qt::WindowNoState);
    EXPECT_TRUE(RealPointer::SettleUntil([&] { return w.frame() == normal; }));
    EXPECT_EQ(w.form->SkinRect(), QRect(QPoint(), normal.size()));
    EXPECT_EQ(w.form->geometry(), QRect(3, 3, normal.width() - 6, normal.height() - 6));
    if (RealPointer::WindowManagerRunning())
        return;
    // Back at once: the window ends where it was.
    w.window->setWindowState(Qt::WindowMaximized);
    RealPointer::Settle(20);
    w.window->setWindowState(Qt::WindowNoState);
    RealPointer::Settle(300);
    EXPECT_EQ(w.frame(), normal);
}

// A skinned button under the display's own pointer: it hears the pointer move
// with no button held, and it says the pointer left however it was dragged
// out, once.
TEST_F(SkinnedWindow, AButtonHearsThePointerAndItsLeavingWhicheverButtonDragsItOut) {
    ShownWindow w;
    auto* button = new TskButton(w.form);
    button->move(40, 60);
    button->show();
    ASSERT_TRUE(RealPointer::WaitPlaced(w.window));
    QSignalSpy moves(button, &TCustomControl::OnMouseMove);
    QSignalSpy enters(button, &TskCustomButton::OnMouseEnter);
    QSignalSpy exits(button, &TskCustomButton::OnMouseExit);
    const QPoint inside = button->mapToGlobal(QPoint(10, 10));
    const QPoint outside = button->mapToGlobal(QPoint(10, 80));
    pointer.MoveTo(inside);
    pointer.MoveTo(inside + QPoint(5, 2));
    EXPECT_TRUE(RealPointer::SettleUntil([&] { return moves.count() > 0; }, 2000));
    EXPECT_TRUE(button->MouseIn());
    for (int drag : {3, 2, 1}) { // right, middle, left
        SCOPED_TRACE(drag);
        pointer.MoveTo(inside);
        RealPointer::SettleUntil([&] { return button->MouseIn(); }, 2000);
        const int exitsBefore = int(exits.count());
        pointer.Drag(inside, outside, 4, drag);
        RealPointer::SettleUntil([&] { return exits.count() > exitsBefore; }, 2000);
        EXPECT_EQ(exits.count(), exitsBefore + 1);
        EXPECT_FALSE(button->MouseIn());
    }
    EXPECT_GE(enters.count(), 3);
}

// The menu bar under the display's own pointer: a click drops a menu down,
// pointing at the next button swaps the drop-downs, a click on the open
// button closes it.
TEST_F(SkinnedWindow, TheMenuBarsDropDownsFollowThePointer) {
    ShownWindow w;
    auto* menu = new TskMainMenu(w.window);
    QList<QMenu*> drops;
    for (const char* caption : {"&File", "&Edit"}) {
        drops.append(menu->addMenu(QString::fromLatin1(caption)));
        drops.last()->addAction(QStringLiteral("Item"));
    }
    menu->HookMenuItems(); // the bar takes the items built
    ASSERT_TRUE(RealPointer::WaitPlaced(w.window));
    TskMenuBar* bar = w.form->MenuBar();
    ASSERT_NE(bar, nullptr);
    const auto at = [&](int button) { return bar->mapToGlobal(bar->ButtonRect(button).center()); };
    pointer.Click(at(0));
    EXPECT_TRUE(RealPointer::SettleUntil([&] { return drops[0]->isVisible(); }));
    pointer.MoveTo(at(1));
    EXPECT_TRUE(RealPointer::SettleUntil([&] { return drops[1]->isVisible(); }));
    EXPECT_FALSE(drops[0]->isVisible());
    EXPECT_EQ(bar->OpenButton(), 1);
    pointer.Click(at(1));
    EXPECT_TRUE(RealPointer::SettleUntil([&] { return !drops[1]->isVisible(); }));
    EXPECT_EQ(bar->OpenButton(), -1);
}
