#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

class BannerBrowser;

// The banner pane's browser control. It hosts a BannerBrowser: the web
// engine in the program, a fake in tests. Starting the engine takes longer
// than building and painting the whole window, so the browser is created
// only once the pane has been painted; an address given before then is
// loaded as soon as the browser exists.
class TWebBrowser : public QWidget {
    Q_OBJECT
public:
    using BrowserFactory = std::function<BannerBrowser*(QWidget* parent)>;

    explicit TWebBrowser(QWidget* parent = nullptr);

    // Controls constructed from now on create their browser through
    // `factory` (empty: the default).
    static void setBrowserFactory(BrowserFactory factory);

    void Navigate(const QString& address);
    // Also true while an address waits for the browser.
    bool Busy() const;
    // The document body's scroll attribute; "no" hides the page's scroll bars.
    void setBodyScroll(const QString& value);

    // Null until the browser has been created.
    BannerBrowser* browser() const { return m_browser; }
    // Creates the browser now, if that has not happened yet, and hands it the
    // waiting address.
    void createBrowser();

signals:
    void OnDocumentComplete();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    BrowserFactory m_factory;
    BannerBrowser* m_browser = nullptr;
    std::optional<QString> m_waitingAddress;
    bool m_creationPosted = false;
};
