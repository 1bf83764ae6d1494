#include "app/automation/ImpressApplication.h"

#include "app/automation/ImpressConnection.h"
#include "app/automation/ImpressPresentations.h"

#include <com/sun/star/lang/DisposedException.hpp>

ImpressApplication::ImpressApplication(std::shared_ptr<ImpressConnection> connection)
    : connection_(std::move(connection)),
      presentations_(std::make_shared<ImpressPresentations>(connection_)) {
    // The office runs headless, so there is no window to show; the property
    // is kept so that it reads back what was set.
    addMember(QStringLiteral("visible"), [this](CallKind kind, const AutomationArgs& args) {
        if (kind == CallKind::PropertyPut) {
            visible_ = boolArg(args, 0);
            return AutomationValue();
        }
        return AutomationValue(visible_);
    });
    addMember(QStringLiteral("Presentations"), [this](CallKind, const AutomationArgs& args) {
        requireArgCount(args, 0);
        return AutomationValue(presentations_);
    });
    addMember(QStringLiteral("Quit"), [this](CallKind, const AutomationArgs& args) {
        requireArgCount(args, 0);
        try {
            connection_->desktop()->terminate();
        } catch (const css::lang::DisposedException&) {
            // The bridge went down with the office: that is the quit done.
        } catch (const css::uno::Exception& error) {
            ImpressConnection::rethrow(error);
        }
        return AutomationValue();
    });
}
