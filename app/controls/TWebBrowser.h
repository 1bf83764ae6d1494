#pragma once

#include <QWidget>
#include <functional>

class BannerBrowser;

// The banner pane's browser control. It hosts a BannerBrowser: the web
// engine in the program, a fake in tests.
class TWebBrowser : public QWidget {
    Q_OBJECT
public:
    using BrowserFactory = std::function<BannerBrowser*(QWidget* parent)>;

    explicit TWebBrowser(QWidget* parent = nullptr);

    // Browsers created from now on come from `factory` (empty: the default).
    static void setBrowserFactory(BrowserFactory factory);

    void Navigate(const QString& address);
    bool Busy() const;
    // The document body's scroll attribute; "no" hides the page's scroll bars.
    void setBodyScroll(const QString& value);

    BannerBrowser* browser() const { return m_browser; }

signals:
    void OnDocumentComplete();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    BannerBrowser* m_browser;
};
