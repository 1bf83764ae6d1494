#include "RealPointer.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

bool RealPointer::Available() {
    return QGuiApplication::platformName() == QLatin1String("xcb") &&
           !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
}

bool RealPointer::WindowManagerRunning() {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {"-root", "_NET_SUPPORTING_WM_CHECK"});
    if (!xprop.waitForFinished(5000))
        return false;
    return xprop.readAllStandardOutput().contains("window id");
}

void RealPointer::run(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    // The pointer moves in the server: the application need not answer
    // while the tool runs, and handles the events afterwards.
    tool.waitForFinished(5000);
}

void RealPointer::Settle(int ms) {
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qSleep(5);
    } while (timer.elapsed() < ms);
}

bool RealPointer::SettleUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        Settle(20);
    // A window manager may send one more configure after the wanted one.
    Settle(100);
    return done();
}

void RealPointer::MoveTo(QPoint global) {
    // Waiting for the pointer to arrive where it already is would never end.
    if (QCursor::pos() == global)
        return Settle(30);
    run({"mousemove", "--sync", QString::number(global.x()), QString::number(global.y())});
    Settle(30);
}

void RealPointer::Press(int button) {
    run({"mousedown", QString::number(button)});
    Settle();
}

void RealPointer::Release(int button) {
    run({"mouseup", QString::number(button)});
    Settle();
}

void RealPointer::Drag(QPoint from, QPoint to, int steps, int button) {
    MoveTo(from);
    Press(button);
    for (int i = 1; i <= steps; ++i)
        MoveTo(from + (to - from) * i / steps);
    Settle(100);
    Release(button);
    Settle(100);
}

void RealPointer::Click(QPoint at) {
    MoveTo(at);
    Press();
    Release();
}

void RealPointer::DoubleClick(QPoint at) {
    MoveTo(at);
    // Each step handled in between, still well inside the double-click time.
    run({"mousedown", "1"});
    Settle(20);
    run({"mouseup", "1"});
    Settle(40);
    run({"mousedown", "1"});
    Settle(20);
    run({"mouseup", "1"});
    Settle(150);
}

bool RealPointer::WaitPlaced(QWidget* window) {
    if (!QTest::qWaitForWindowExposed(window, 10000))
        return false;
    // A window manager maps, then may move the window once more.
    Settle(300);
    return window->isVisible();
}
