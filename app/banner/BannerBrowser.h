#pragma once

#include <QObject>
#include <QString>

class QWidget;

// What the banner pane needs of an embedded browser: load an address, tell
// when a document has finished and whether loading still goes on, and hide
// the page's scroll bars.
class BannerBrowser : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~BannerBrowser() override = default;

    virtual QWidget* view() = 0;
    virtual void navigate(const QString& address) = 0;
    virtual bool busy() const = 0;
    // The document's body gets scroll="no": the page shows no scroll bars.
    virtual void hideScrollBars() = 0;

    // The built-in page shown when the address cannot be reached.
    static QString offlinePageAddress() { return QStringLiteral("qrc:/banner/offline.html"); }

signals:
    void documentComplete(const QString& address);
};
