#include "app/banner/TextBannerBrowser.h"

#include <QTextBrowser>
#include <QTimer>

TextBannerBrowser::TextBannerBrowser(QWidget* parent)
    : BannerBrowser(parent), m_view(new QTextBrowser(parent)) {
    m_view->setFrameShape(QFrame::NoFrame);
    m_view->setOpenLinks(false);
    m_view->document()->setDocumentMargin(0);
}

QWidget* TextBannerBrowser::view() {
    return m_view;
}

void TextBannerBrowser::navigate(const QString& address) {
    m_busy = true;
    m_view->setSource(QUrl(offlinePageAddress()));
    // Completion is reported from the event loop, as a real browser does.
    QTimer::singleShot(0, this, [this, address] {
        m_busy = false;
        emit documentComplete(address);
    });
}

void TextBannerBrowser::hideScrollBars() {
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}
