#include "app/automation/ImpressPresentations.h"

#include "app/automation/AutomationError.h"
#include "app/automation/ImpressConnection.h"
#include "app/automation/ImpressPresentation.h"
#include "platform/LocalPath.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <sys/stat.h>

using namespace css;

ImpressPresentations::ImpressPresentations(std::shared_ptr<ImpressConnection> connection)
    : m_connection(std::move(connection)) {
    addMember(QStringLiteral("Open"), [this](CallKind, const AutomationArgs& args) {
        requireArgCount(args, 1);
        return open(textArg(args, 0));
    });
}

AutomationValue ImpressPresentations::open(const QString& path) {
    // Hidden, read-only, no macros, no link updates and no interaction
    // handler: a deck that would ask anything (a password above all) fails
    // instead of waiting for an answer nobody can give.
    const auto options = ImpressConnection::properties({
        ImpressConnection::property("Hidden", uno::Any(true)),
        ImpressConnection::property("ReadOnly", uno::Any(true)),
        ImpressConnection::property("MacroExecutionMode",
                                    uno::Any(document::MacroExecMode::NEVER_EXECUTE)),
        ImpressConnection::property("UpdateDocMode", uno::Any(document::UpdateDocMode::NO_UPDATE)),
    });
    // The office takes an empty file for a new, blank document and would
    // publish that as the deck's page.
    struct stat file {};
    if (::stat(LocalPath::toNative(path).constData(), &file) == 0 && S_ISREG(file.st_mode) &&
        file.st_size == 0)
        throw AutomationError(QStringLiteral("The file is empty"));
    const QString url = m_connection->fileUrl(path);
    uno::Reference<lang::XComponent> document;
    try {
        document = m_connection->desktop()->loadComponentFromURL(ImpressConnection::toOUString(url),
                                                                 "_blank", 0, options);
    } catch (const uno::Exception& error) {
        ImpressConnection::rethrow(error);
    }
    if (!document.is())
        throw AutomationError(QStringLiteral("Not a presentation LibreOffice can read"));
    uno::Reference<lang::XServiceInfo> info(document, uno::UNO_QUERY);
    if (!info.is() || !info->supportsService("com.sun.star.presentation.PresentationDocument")) {
        try {
            uno::Reference<util::XCloseable>(document, uno::UNO_QUERY_THROW)->close(true);
        } catch (const uno::Exception&) {
        }
        throw AutomationError(QStringLiteral("The file is not a presentation"));
    }
    return AutomationValue(
        AutomationObjectPtr(std::make_shared<ImpressPresentation>(m_connection, document, path)));
}
