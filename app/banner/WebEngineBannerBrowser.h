#pragma once

#include "app/banner/BannerBrowser.h"

class QWebEngineView;

// The banner through Qt WebEngine. A page that cannot be loaded is replaced
// by the built-in page rather than the engine's error page.
class WebEngineBannerBrowser : public BannerBrowser {
    Q_OBJECT
public:
    explicit WebEngineBannerBrowser(QWidget* parent);

    QWidget* view() override;
    void navigate(const QString& address) override;
    bool busy() const override { return m_busy; }
    void hideScrollBars() override;

private:
    QWebEngineView* m_view;
    bool m_busy = false;
};
