// The skinned window as a client of a real Wayland compositor (weston on its
// headless backend): what the compositor shows of it, and who moves it.

#include "tests/skin/DrawnPixels.h"

#include "platform/WindowManager.h"
#include "skin/form/TskForm.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

// The fixture's desktop colour (its weston.ini); no panel, no pointer.
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

// Where the compositor put the one window: every pixel not the desktop's.
QRect windowOn(const QImage& screen) {
    QRect box;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (screen.pixel(x, y) != kDesktop)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

TEST(WaylandWindow, TheCompositorShowsTheSkinWithTheCornersCutAndIsAskedForMoves) {
    ASSERT_TRUE(WindowManager::OnCompositor()) << qPrintable(QGuiApplication::platformName());
    QWidget window;
    window.resize(320, 200);
    auto* form = new TskForm(&window);
    form->SetUIStyle(TskUIStyle::WinXP); // corners of 13, a blue title bar
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QImage screen;
    QRect placed;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            screen = compositorScreen();
            placed = windowOn(screen);
            return placed.size() == window.size();
        },
        10000))
        << "the compositor shows " << placed.width() << "x" << placed.height();

    // Inside the shape the compositor shows what the window painted; the
    // cut corners show the desktop through.
    const QImage own = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRegion shape = form->FormRegion();
    ASSERT_NE(shape, QRegion(window.rect())) << "WinXP has round corners";
    int wrong = 0, cut = 0;
    for (int y = 0; y < window.height(); ++y)
        for (int x = 0; x < window.width(); ++x) {
            const QRgb shown = screen.pixel(placed.topLeft() + QPoint(x, y));
            if (shape.contains(QPoint(x, y))) {
                // The compositor blends what it shows: its own rounding.
                wrong += !sameWithinRounding(shown, own.pixel(x, y));
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
