#include "app/banner/WebEngineBannerBrowser.h"

#include <QWebEnginePage>
#include <QWebEngineView>

WebEngineBannerBrowser::WebEngineBannerBrowser(QWidget* parent)
    : BannerBrowser(parent), m_view(new QWebEngineView(parent)) {
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    connect(m_view, &QWebEngineView::loadStarted, this, [this] { m_busy = true; });
    connect(m_view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        m_busy = false;
        const QUrl url = m_view->url();
        if (!ok && url.scheme() != QLatin1String("qrc")) {
            m_view->load(QUrl(offlinePageAddress()));
            return;
        }
        emit documentComplete(url.toString());
    });
}

QWidget* WebEngineBannerBrowser::view() {
    return m_view;
}

void WebEngineBannerBrowser::navigate(const QString& address) {
    m_busy = true;
    m_view->load(QUrl(address));
}

void WebEngineBannerBrowser::hideScrollBars() {
    m_view->page()->runJavaScript(
        QStringLiteral("if (document.body) { document.body.setAttribute('scroll', 'no');"
                       " document.body.style.overflow = 'hidden'; }"));
}
