#include "app/StartupProbe.h"

#include "app/controls/TWebBrowser.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>

StartupProbe::StartupProbe(QWidget* window, TWebBrowser* banner)
    : QObject(window), m_banner(banner), m_bannerDone(banner == nullptr) {
    if (!banner)
        return;
    connect(banner, &TWebBrowser::OnDocumentComplete, this, [this] {
        // Frames finishing while the page still loads do not count.
        if (m_bannerDone || m_banner->Busy())
            return;
        m_bannerDone = true;
        QTimer::singleShot(0, this, [this] {
            report("banner");
            quitWhenDone();
        });
    });
}

void StartupProbe::install(QWidget* window, TWebBrowser* banner) {
    // The window itself may be covered by opaque children: watch every widget.
    qApp->installEventFilter(new StartupProbe(window, banner));
}

bool StartupProbe::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::Paint && widget && widget->window() == parent()) {
        qApp->removeEventFilter(this);
        // After this paint has reached the screen.
        QWidget* window = widget->window();
        QTimer::singleShot(0, this, [this, window] {
            m_shown = true;
            report("shown");
            // Where the window landed, in device pixels.
            const qreal ratio = window->devicePixelRatioF();
            const QRect g = window->geometry();
            std::printf("window %g %g %g %g scale %g\n", g.x() * ratio, g.y() * ratio,
                        g.width() * ratio, g.height() * ratio, ratio);
            std::fflush(stdout);
            quitWhenDone();
        });
    }
    return false;
}

void StartupProbe::report(const char* what) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("%s %.6f\n", what, double(now.tv_sec) + double(now.tv_nsec) / 1e9);
    std::fflush(stdout);
}

void StartupProbe::quitWhenDone() {
    if (m_shown && m_bannerDone)
        QApplication::quit();
}
