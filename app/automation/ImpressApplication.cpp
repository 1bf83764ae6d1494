#include "app/automation/ImpressApplication.h"

#include "app/automation/ImpressConnection.h"
#include "app/automation/ImpressPresentations.h"

#include <com/sun/star/lang/DisposedException.hpp>

ImpressApplication::ImpressApplication(std::shared_ptr<ImpressConnection> connection)
    : m_connection(std::move(connection)),
      m_presentations(std::make_shared<ImpressPresentations>(m_connection)) {
    // The office runs headless, so there is no window to show; the property
    // is kept so that it reads back what was set.
    addMember(QStringLiteral("visible"), [this](CallKind kind, const AutomationArgs& args) {
        if (kind == CallKind::PropertyPut) {
            m_visible = boolArg(args, 0);
            return AutomationValue();
        }
        return AutomationValue(m_visible);
    });
    addMember(QStringLiteral("Presentations"), [this](CallKind, const AutomationArgs& args) {
        requireArgCount(args, 0);
        return AutomationValue(m_presentations);
    });
    addMember(QStringLiteral("Quit"), [this](CallKind, const AutomationArgs& args) {
        requireArgCount(args, 0);
        try {
            m_connection->desktop()->terminate();
        } catch (const css::lang::DisposedException&) {
            // The bridge went down with the office: that is the quit done.
        } catch (const css::uno::Exception& error) {
            ImpressConnection::rethrow(error);
        }
        return AutomationValue();
    });
}
