#pragma once

#include <QObject>

class QWidget;
class TWebBrowser;

// For the start-up benchmark: prints the monotonic clock in seconds on
// standard output when the window has painted for the first time ("shown")
// and when the banner's page has finished loading ("banner"), then quits.
// Without a banner it quits after the first paint.
class StartupProbe : public QObject {
    Q_OBJECT
public:
    static void install(QWidget* window, TWebBrowser* banner = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    StartupProbe(QWidget* window, TWebBrowser* banner);
    void report(const char* what);
    void quitWhenDone();

    TWebBrowser* m_banner;
    bool m_shown = false;
    bool m_bannerDone = false;
};
