#include "app/automation/ImpressPresentation.h"

#include "app/automation/AutomationError.h"
#include "app/automation/HtmlPublisher.h"
#include "app/automation/ImpressConnection.h"
#include "platform/LocalPath.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>

using namespace css;

ImpressPresentation::ImpressPresentation(std::shared_ptr<ImpressConnection> connection,
                                         uno::Reference<lang::XComponent> document, QString path)
    : m_connection(std::move(connection)), m_document(std::move(document)),
      m_path(std::move(path)) {
    addMember(QStringLiteral("name"), [this](CallKind, const AutomationArgs& args) {
        requireArgCount(args, 0);
        return AutomationValue(LocalPath::fileName(m_path));
    });
    addMember(QStringLiteral("SaveAs"), [this](CallKind, const AutomationArgs& args) {
        const QString outputPath = textArg(args, 0);
        const qint32 format = args.size() > 1 ? intArg(args, 1) : kHtmlFormat;
        if (format != kHtmlFormat)
            throw AutomationError(
                QStringLiteral("Presentation.SaveAs: file format %1 is not supported").arg(format));
        saveAsHtml(outputPath);
        return AutomationValue();
    });
    addMember(QStringLiteral("Close"), [this](CallKind, const AutomationArgs& args) {
        requireArgCount(args, 0);
        close();
        return AutomationValue();
    });
}

void ImpressPresentation::saveAsHtml(const QString& outputPath) {
    if (!m_document.is())
        throw AutomationError(QStringLiteral("The presentation is closed"));
    // Pages with a picture of every slide (JPEG) and a text version with the
    // notes; the export writes into a private staging folder first.
    const auto filterData = ImpressConnection::properties({
        ImpressConnection::property("PublishMode", uno::Any(sal_Int32(0))),
        ImpressConnection::property("Format", uno::Any(sal_Int32(1))),
        ImpressConnection::property("Width", uno::Any(sal_Int32(800))),
        ImpressConnection::property("IsExportNotes", uno::Any(true)),
        ImpressConnection::property("IsExportContentsPage", uno::Any(true)),
        ImpressConnection::property("IsUseDocumentColors", uno::Any(true)),
        ImpressConnection::property("HiddenSlides", uno::Any(false)),
    });
    const auto options = ImpressConnection::properties({
        ImpressConnection::property("FilterName", uno::Any(rtl::OUString("impress_html_Export"))),
        ImpressConnection::property("FilterData", uno::Any(filterData)),
        ImpressConnection::property("Overwrite", uno::Any(true)),
    });
    // A run reserves the page's publisher and commits the export itself,
    // once this call is over; anyone else gets the page published here.
    std::shared_ptr<HtmlPublisher> publisher = HtmlPublisher::reservedFor(outputPath);
    const bool reserved = publisher != nullptr;
    if (!reserved)
        publisher = std::make_shared<HtmlPublisher>(outputPath);
    const QString url = m_connection->fileUrl(publisher->stagingPage());
    try {
        uno::Reference<frame::XStorable>(m_document, uno::UNO_QUERY_THROW)
            ->storeToURL(ImpressConnection::toOUString(url), options);
    } catch (const uno::Exception& error) {
        // The office's words for a full disk are an error number.
        if (publisher->diskFull())
            throw AutomationError(QString::fromLatin1(HtmlPublisher::kDiskFullText));
        ImpressConnection::rethrow(error);
    }
    if (!reserved)
        publisher->commit(m_path);
}

void ImpressPresentation::close() {
    if (!m_document.is())
        return;
    try {
        uno::Reference<util::XCloseable>(m_document, uno::UNO_QUERY_THROW)->close(true);
    } catch (const uno::Exception& error) {
        ImpressConnection::rethrow(error);
    }
    m_document.clear();
}
