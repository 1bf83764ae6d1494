#include "app/automation/ImpressPresentation.h"

#include "app/automation/AutomationError.h"
#include "app/automation/HtmlPublisher.h"
#include "app/automation/ImpressConnection.h"
#include "app/automation/ReaderPages.h"
#include "app/automation/SlideRasterizer.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"
#include "platform/ReportableError.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/drawing/XDrawPages.hpp>
#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <future>

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

namespace {

// The pages with a picture of every slide and a text version with the
// notes. `contents` adds the overview with its thumbnails, which the reader
// layer otherwise makes.
uno::Sequence<beans::PropertyValue> htmlOptions(sal_Int32 width, bool contents) {
    const auto filterData = ImpressConnection::properties({
        ImpressConnection::property("PublishMode", uno::Any(sal_Int32(0))),
        ImpressConnection::property("Format", uno::Any(sal_Int32(1))),
        ImpressConnection::property("Width", uno::Any(width)),
        ImpressConnection::property("IsExportNotes", uno::Any(true)),
        ImpressConnection::property("IsExportContentsPage", uno::Any(contents)),
        ImpressConnection::property("IsUseDocumentColors", uno::Any(true)),
        ImpressConnection::property("HiddenSlides", uno::Any(false)),
    });
    return ImpressConnection::properties({
        ImpressConnection::property("FilterName", uno::Any(rtl::OUString("impress_html_Export"))),
        ImpressConnection::property("FilterData", uno::Any(filterData)),
        ImpressConnection::property("Overwrite", uno::Any(true)),
    });
}

// The deck as a PDF for the pictures and for readers to download: no form
// fields (which submit) and no comments; hidden slides are left out as in
// the pages. Pictures keep the resolution they have in the deck: scaling
// each one down took a quarter of the export's time, for a PDF only a
// tenth smaller.
uno::Sequence<beans::PropertyValue> pdfOptions() {
    const auto filterData = ImpressConnection::properties({
        ImpressConnection::property("ExportFormFields", uno::Any(false)),
        ImpressConnection::property("ExportNotes", uno::Any(false)),
        ImpressConnection::property("ExportNotesPages", uno::Any(false)),
        ImpressConnection::property("ExportHiddenSlides", uno::Any(false)),
        ImpressConnection::property("ExportLinksRelativeFsys", uno::Any(false)),
        ImpressConnection::property("ReduceImageResolution", uno::Any(false)),
    });
    return ImpressConnection::properties({
        ImpressConnection::property("FilterName", uno::Any(rtl::OUString("impress_pdf_Export"))),
        ImpressConnection::property("FilterData", uno::Any(filterData)),
        ImpressConnection::property("Overwrite", uno::Any(true)),
    });
}

// The export's link areas are measured on pictures this wide, which puts
// them within 4 px on the 800-px picture; the pictures themselves are
// replaced by sharper ones drawn from the PDF. Half as wide again as this
// cost the office a twentieth more time.
constexpr sal_Int32 kDraftWidth = 100;
const QString kPictures = QStringLiteral("pictures");

int picturesIn(const AnchoredFolder& folder) {
    int count = 0;
    while (folder.exists(QStringLiteral("img%1.jpg").arg(count)))
        ++count;
    return count;
}

} // namespace

void ImpressPresentation::store(const QString& path,
                                const uno::Sequence<beans::PropertyValue>& options,
                                const HtmlPublisher& publisher) {
    try {
        uno::Reference<frame::XStorable>(m_document, uno::UNO_QUERY_THROW)
            ->storeToURL(ImpressConnection::toOUString(m_connection->fileUrl(path)), options);
    } catch (const uno::Exception& error) {
        // The office's words for a full disk are an error number.
        if (publisher.diskFull())
            throw AutomationError(QString::fromLatin1(HtmlPublisher::kDiskFullText));
        ImpressConnection::rethrow(error);
    }
}

// The PDF first: its slides are drawn outside the office while the office
// writes the pages, whose own pictures are drafts. Returns the step that
// waits for the drawing and puts the pictures in place, or none when there
// is no PDF to draw from.
std::function<bool()> ImpressPresentation::exportWithDrawnPictures(HtmlPublisher& publisher) {
    const AnchoredFolder& staging = publisher.staging();
    const QString pdf = staging.pathOf(QLatin1String(ReaderPages::kPdf));
    std::shared_ptr<AnchoredFolder> pictures;
    std::shared_ptr<std::future<int>> drawn;
    try {
        store(pdf, pdfOptions(), publisher);
        const int slides =
            uno::Reference<drawing::XDrawPagesSupplier>(m_document, uno::UNO_QUERY_THROW)
                ->getDrawPages()
                ->getCount();
        pictures = std::make_shared<AnchoredFolder>(staging.folder(kPictures, true));
        drawn = std::make_shared<std::future<int>>(
            std::async(std::launch::async, [pdf, pictures, slides] {
                return SlideRasterizer::draw(pdf, *pictures, slides);
            }));
    } catch (const ReportableError&) {
        if (publisher.diskFull())
            throw;
    } catch (const uno::Exception&) {
    }
    try {
        store(publisher.stagingPage(), htmlOptions(kDraftWidth, false), publisher);
    } catch (...) {
        if (drawn)
            drawn->wait();
        throw;
    }
    if (!drawn)
        return {};
    const int drafts = picturesIn(staging);
    HtmlPublisher* owner = &publisher;
    return [owner, pictures, drawn, drafts] {
        const AnchoredFolder& staging = owner->staging();
        bool sharp = false;
        try {
            sharp = drawn->get() == drafts;
        } catch (const ReportableError&) {
        }
        try {
            if (sharp) {
                for (const QString& name : pictures->names())
                    staging.rename(kPictures + QLatin1Char('/') + name, name);
                ReaderPages::Export made;
                made.pictureWidth = kDraftWidth;
                owner->setReaderExport(made);
            }
            staging.removeTree(kPictures);
            if (!sharp)
                staging.removeTree(QLatin1String(ReaderPages::kPdf));
        } catch (const FileError& error) {
            throw AutomationError(error.message());
        }
        return sharp;
    };
}

void ImpressPresentation::saveAsHtml(const QString& outputPath) {
    if (!m_document.is())
        throw AutomationError(QStringLiteral("The presentation is closed"));
    // A run reserves the page's publisher and commits the export itself,
    // once this call is over; anyone else gets the page published here.
    std::shared_ptr<HtmlPublisher> publisher = HtmlPublisher::reservedFor(outputPath);
    const bool reserved = publisher != nullptr;
    if (!reserved)
        publisher = std::make_shared<HtmlPublisher>(outputPath);
    publisher->setReaderExport(ReaderPages::Export());
    try {
        std::function<bool()> drawing;
        if (publisher->drawPictures() && !SlideRasterizer::program().isEmpty())
            drawing = exportWithDrawnPictures(*publisher);
        if (drawing && reserved) {
            // The run finishes the pictures while the office goes on.
            publisher->setPicturesStep(std::move(drawing));
            return;
        }
        if (!drawing || !drawing()) {
            // Without sharp pictures the office draws them, as it always did.
            publisher->staging().removeTree(QLatin1String(ReaderPages::kPdf));
            store(publisher->stagingPage(), htmlOptions(800, true), *publisher);
        }
    } catch (const FileError& error) {
        throw AutomationError(error.message());
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
