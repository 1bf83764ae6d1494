#include "app/StartupProbe.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>

void StartupProbe::install(QWidget* window) {
    // The window itself may be covered by opaque children: watch every widget.
    qApp->installEventFilter(new StartupProbe(window));
}

bool StartupProbe::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::Paint && widget && widget->window() == parent()) {
        qApp->removeEventFilter(this);
        // After this paint has reached the screen.
        QWidget* window = widget->window();
        QTimer::singleShot(0, [window] {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("shown %.6f\n", double(now.tv_sec) + double(now.tv_nsec) / 1e9);
            // Where the window landed, in device pixels.
            const qreal ratio = window->devicePixelRatioF();
            const QRect g = window->geometry();
            std::printf("window %g %g %g %g scale %g\n", g.x() * ratio, g.y() * ratio,
                        g.width() * ratio, g.height() * ratio, ratio);
            std::fflush(stdout);
            QApplication::quit();
        });
    }
    return false;
}
