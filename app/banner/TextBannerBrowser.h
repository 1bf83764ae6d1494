#pragma once

#include "app/banner/BannerBrowser.h"

class QTextBrowser;

// The banner without a web engine: a rich-text view that can only show the
// built-in page, so every address ends there.
class TextBannerBrowser : public BannerBrowser {
    Q_OBJECT
public:
    explicit TextBannerBrowser(QWidget* parent);

    QWidget* view() override;
    void navigate(const QString& address) override;
    bool busy() const override { return m_busy; }
    void hideScrollBars() override;

private:
    QTextBrowser* m_view;
    bool m_busy = false;
};
