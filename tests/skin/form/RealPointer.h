#pragma once

// Drives the X server's own pointer (through xdotool), so a window under test
// gets exactly the events a person's mouse gives it: presses, motion in small
// steps, releases, with the window manager (if any) seeing them too. Between
// steps the application handles what arrived, as it would between a person's
// movements.

#include <QPoint>
#include <QStringList>
#include <functional>

class QWidget;

class RealPointer {
public:
    // xdotool is at hand and the application runs on an X display.
    static bool Available();
    // A window manager runs on the display.
    static bool WindowManagerRunning();

    void MoveTo(QPoint global);
    // Button 1 is the left, 2 the middle, 3 the right one.
    void Press(int button = 1);
    void Release(int button = 1);
    // Press here, move to There in Steps steps, release.
    void Drag(QPoint from, QPoint to, int steps = 10, int button = 1);
    void Click(QPoint at);
    // Two clicks as fast as a person's double click.
    void DoubleClick(QPoint at);

    // Lets the application handle events for Ms milliseconds.
    static void Settle(int ms = 60);
    // Handles events until Done answers true, at most Ms milliseconds; Done's
    // last answer.
    static bool SettleUntil(const std::function<bool()>& done, int ms = 4000);
    // Waits until the window has been placed where its geometry says (a
    // window manager may still be moving it) and is showing.
    static bool WaitPlaced(QWidget* window);

private:
    static void run(const QStringList& arguments);
};
