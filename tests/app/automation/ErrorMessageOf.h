#pragma once

#include "app/automation/AutomationError.h"

#include <QString>
#include <functional>

// The message of the AutomationError a call raises, or "(no error)".
inline QString messageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const AutomationError& error) {
        return error.message();
    }
    return QStringLiteral("(no error)");
}
