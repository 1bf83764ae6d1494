#include "app/controls/TWebBrowser.h"

#include "app/banner/TextBannerBrowser.h"
#ifdef DECKVANE_HAVE_WEBENGINE
#include "app/banner/WebEngineBannerBrowser.h"
#endif

namespace {

TWebBrowser::BrowserFactory& factory() {
    static TWebBrowser::BrowserFactory f;
    return f;
}

BannerBrowser* defaultBrowser(QWidget* parent) {
#ifdef DECKVANE_HAVE_WEBENGINE
    // DECKVANE_BANNER=offline keeps the engine out (screenshots, slow machines).
    if (qgetenv("DECKVANE_BANNER") != "offline")
        return new WebEngineBannerBrowser(parent);
#endif
    return new TextBannerBrowser(parent);
}

} // namespace

TWebBrowser::TWebBrowser(QWidget* parent)
    : QWidget(parent), m_browser(factory() ? factory()(this) : defaultBrowser(this)) {
    connect(m_browser, &BannerBrowser::documentComplete, this,
            [this] { emit OnDocumentComplete(); });
    if (QWidget* view = m_browser->view())
        view->setGeometry(rect());
}

void TWebBrowser::setBrowserFactory(BrowserFactory f) {
    factory() = std::move(f);
}

void TWebBrowser::Navigate(const QString& address) {
    m_browser->navigate(address);
}

bool TWebBrowser::Busy() const {
    return m_browser->busy();
}

void TWebBrowser::setBodyScroll(const QString& value) {
    if (value.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0)
        m_browser->hideScrollBars();
}

void TWebBrowser::resizeEvent(QResizeEvent*) {
    if (QWidget* view = m_browser->view())
        view->setGeometry(rect());
}
