#include "app/controls/TWebBrowser.h"

#include "app/banner/TextBannerBrowser.h"
#ifdef DECKVANE_HAVE_WEBENGINE
#include "app/banner/WebEngineBannerModule.h"
#endif

#include <QPainter>
#include <QTimer>
#include <utility>

namespace {

TWebBrowser::BrowserFactory& factory() {
    static TWebBrowser::BrowserFactory f;
    return f;
}

BannerBrowser* defaultBrowser(QWidget* parent) {
#ifdef DECKVANE_HAVE_WEBENGINE
    // DECKVANE_BANNER=offline keeps the engine out (screenshots, slow machines).
    if (qgetenv("DECKVANE_BANNER") != "offline") {
        if (BannerBrowser* browser = WebEngineBannerModule::create(parent))
            return browser;
        qWarning("The banner shows its built-in page: %s",
                 qPrintable(WebEngineBannerModule::errorString()));
    }
#endif
    return new TextBannerBrowser(parent);
}

} // namespace

TWebBrowser::TWebBrowser(QWidget* parent)
    : QWidget(parent), m_factory(factory() ? factory() : defaultBrowser) {}

void TWebBrowser::setBrowserFactory(BrowserFactory f) {
    factory() = std::move(f);
}

void TWebBrowser::createBrowser() {
    if (m_browser)
        return;
    m_browser = m_factory(this);
    connect(m_browser, &BannerBrowser::documentComplete, this,
            [this] { emit OnDocumentComplete(); });
    if (QWidget* view = m_browser->view()) {
        view->setGeometry(rect());
        // Children added to a shown widget stay hidden until told otherwise.
        view->show();
    }
    if (m_waitingAddress) {
        const QString address = *std::exchange(m_waitingAddress, std::nullopt);
        m_browser->navigate(address);
    }
}

void TWebBrowser::Navigate(const QString& address) {
    if (m_browser)
        m_browser->navigate(address);
    else
        m_waitingAddress = address; // a later address replaces a waiting one
}

bool TWebBrowser::Busy() const {
    return m_browser ? m_browser->busy() : m_waitingAddress.has_value();
}

void TWebBrowser::setBodyScroll(const QString& value) {
    // Before the browser exists there is no document to change.
    if (m_browser && value.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0)
        m_browser->hideScrollBars();
}

void TWebBrowser::paintEvent(QPaintEvent*) {
    if (m_browser)
        return;
    // Until then the pane looks like the engine's view before its first page.
    QPainter(this).fillRect(rect(), Qt::white);
    // Posted from the window's first paint, the creation runs once that
    // frame has gone to the screen.
    if (m_creationPosted)
        return;
    m_creationPosted = true;
    QTimer::singleShot(0, this, &TWebBrowser::createBrowser);
}

void TWebBrowser::resizeEvent(QResizeEvent*) {
    if (m_browser && m_browser->view())
        m_browser->view()->setGeometry(rect());
}
