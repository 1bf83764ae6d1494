// The skinned window as a client of a real Wayland compositor (weston): what
// the compositor shows of it, and that a drag on the title bar or the frame
// moves or resizes it, which on Wayland only the compositor can do.

#include "platform/WindowManager.h"
#include "skin/form/TskForm.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

// The fixture's desktop colour (its weston.ini); no panel.
constexpr QRgb kDesktop = 0xff204060;

// The compositor's own picture of its output.
QImage compositorScreen() {
    QTemporaryDir dir;
    QProcess shooter;
    shooter.setWorkingDirectory(dir.path());
    shooter.start(QStringLiteral("weston-screenshooter"), {});
    if (!shooter.waitForFinished(10000))
        return {};
    const QStringList shots = QDir(dir.path()).entryList({QStringLiteral("*.png")});
    if (shots.isEmpty())
        return {};
    return QImage(dir.filePath(shots.first())).convertToFormat(QImage::Format_RGB32);
}

// Where the compositor put the one window: the rows and columns with more
// than a pointer's worth of pixels that are not the desktop's.
QRect windowOn(const QImage& screen) {
    constexpr int kPointer = 40;
    std::vector<int> rows(size_t(screen.height())), columns(size_t(screen.width()));
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (screen.pixel(x, y) != kDesktop) {
                ++rows[size_t(y)];
                ++columns[size_t(x)];
            }
    QRect box;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (rows[size_t(y)] > kPointer && columns[size_t(x)] > kPointer)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Waits until the compositor shows the window as Done says; its last place.
QRect shownWhen(const std::function<bool(const QRect&)>& done, QImage* screen = nullptr) {
    QRect placed;
    (void)QTest::qWaitFor(
        [&] {
            const QImage shot = compositorScreen();
            placed = windowOn(shot);
            if (screen)
                *screen = shot;
            return done(placed);
        },
        10000);
    return placed;
}

// The compositor's pointer, moved on the X display it reads it from; the
// window's events are handled meanwhile.
bool pointer(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    QElapsedTimer clock;
    clock.start();
    while (tool.state() != QProcess::NotRunning && clock.elapsed() < 10000) {
        tool.waitForFinished(10);
        QCoreApplication::processEvents();
    }
    QTest::qWait(40);
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

bool moveTo(QPoint at) {
    return pointer({"mousemove", QString::number(at.x()), QString::number(at.y())});
}

// Presses at From, drags by By and lets go once Arrived says the compositor
// has done it. The client asks the compositor only when it has handled the
// press and a motion, which on a loaded machine can be after the pointer
// stopped, and the compositor moves a window only on motion: until then
// the pointer nudges, the button held.
bool drag(QPoint from, QPoint by, const std::function<bool()>& arrived) {
    if (!moveTo(from) || !pointer({"mousedown", "1"}))
        return false;
    for (int step = 1; step <= 10; ++step)
        moveTo(from + by * step / 10);
    QElapsedTimer clock;
    clock.start();
    bool done = arrived();
    while (!done && clock.elapsed() < 15000) {
        moveTo(from + by + QPoint(1, 0));
        moveTo(from + by);
        done = arrived();
    }
    pointer({"mouseup", "1"});
    return done;
}

struct SkinnedWindow {
    QWidget window;
    TskForm* form = new TskForm(&window);
    SkinnedWindow() {
        window.resize(320, 200);
        form->SetUIStyle(TskUIStyle::WinXP); // corners of 13, a blue title bar
        window.show();
    }
};

bool hasPointer() {
    return !qEnvironmentVariableIsEmpty("DISPLAY");
}

} // namespace

TEST(WaylandWindow, TheCompositorShowsTheSkinWithTheCornersCut) {
    ASSERT_TRUE(WindowManager::OnCompositor()) << qPrintable(QGuiApplication::platformName());
    if (hasPointer())
        GTEST_SKIP() << "a pointer on the screen would be in the picture";
    SkinnedWindow w;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    QImage screen;
    const QRect placed =
        shownWhen([&](const QRect& r) { return r.size() == w.window.size(); }, &screen);
    ASSERT_EQ(placed.size(), w.window.size());

    // Inside the shape the compositor shows what the window painted; the
    // cut corners show the desktop through.
    const QImage own = w.window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRegion shape = w.form->FormRegion();
    ASSERT_NE(shape, QRegion(w.window.rect())) << "WinXP has round corners";
    int wrong = 0, cut = 0;
    for (int y = 0; y < w.window.height(); ++y)
        for (int x = 0; x < w.window.width(); ++x) {
            const QRgb shown = screen.pixel(placed.topLeft() + QPoint(x, y));
            if (shape.contains(QPoint(x, y))) {
                wrong += shown != own.pixel(x, y);
            } else {
                ++cut;
                wrong += shown != kDesktop;
            }
        }
    EXPECT_GT(cut, 10);
    EXPECT_EQ(wrong, 0);
    // A compositor ignores where a client puts itself: a drag must be asked
    // of it.
    EXPECT_EQ(WindowManager::WhoMoves(), WindowManager::Mover::Compositor);
    EXPECT_TRUE(WindowManager::PlacesWindows());
    EXPECT_FALSE(WindowManager::RunningOnX());
    EXPECT_FALSE(WindowManager::MissingOnX());
}

TEST(WaylandWindow, DraggingTheTitleBarMovesAndTheEdgeResizesTheWindow) {
    ASSERT_TRUE(WindowManager::OnCompositor());
    if (!hasPointer())
        GTEST_SKIP() << "the headless compositor has no pointer";
    SkinnedWindow w;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    const QRect placed = shownWhen([&](const QRect& r) { return r.size() == w.window.size(); });
    ASSERT_EQ(placed.size(), w.window.size());

    // Towards the middle of the 1024 x 768 output, wherever the window began.
    const QPoint by(placed.center().x() < 512 ? 150 : -150, placed.center().y() < 384 ? 90 : -90);
    const QRect moved = placed.translated(by);
    EXPECT_TRUE(drag(placed.topLeft() + QPoint(150, 12), by,
                     [&] { return windowOn(compositorScreen()) == moved; }));
    EXPECT_EQ(shownWhen([&](const QRect& r) { return r == moved; }), moved);

    // The right edge of the frame, 2 pixels in, pulled 60 pixels out.
    const QRect wider = moved.adjusted(0, 0, 60, 0);
    EXPECT_TRUE(drag(QPoint(moved.right() - 1, moved.center().y()), QPoint(60, 0),
                     [&] { return windowOn(compositorScreen()) == wider; }));
    EXPECT_EQ(shownWhen([&](const QRect& r) { return r == wider; }), wider);
    EXPECT_EQ(w.window.width(), wider.width());
}
