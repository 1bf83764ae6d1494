#pragma once

#include "app/automation/AutomationObject.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <functional>

class HtmlPublisher;
class ImpressConnection;

// One open presentation: "name", "SaveAs" and "Close".
class ImpressPresentation : public AutomationObject {
public:
    // The save-format code for a web page.
    static constexpr qint32 kHtmlFormat = 12;

    ImpressPresentation(std::shared_ptr<ImpressConnection> connection,
                        css::uno::Reference<css::lang::XComponent> document, QString path);

private:
    void saveAsHtml(const QString& outputPath);
    std::function<bool()> exportWithDrawnPictures(HtmlPublisher& publisher);
    void store(const QString& path, const css::uno::Sequence<css::beans::PropertyValue>& options,
               const HtmlPublisher& publisher);
    void close();

    std::shared_ptr<ImpressConnection> m_connection;
    css::uno::Reference<css::lang::XComponent> m_document;
    QString m_path;
};
