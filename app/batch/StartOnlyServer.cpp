#include "app/batch/StartOnlyServer.h"

#include "app/automation/AutomationError.h"

AutomationObjectPtr StartOnlyServer::attach() {
    throw AutomationError(QStringLiteral("Operation unavailable"));
}
