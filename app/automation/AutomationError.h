#pragma once

#include "platform/ReportableError.h"

#include <QString>

// An error raised by a late-bound call. It carries the message the
// conversion log shows for the file that failed.
class AutomationError : public ReportableError {
public:
    using ReportableError::ReportableError;

    // A description reported by the server, with trailing blanks, control
    // characters and full stops removed, so the log line ends cleanly.
    static AutomationError fromServerDescription(const QString& description);
    static QString trimServerDescription(const QString& description);

    // A call naming a member the object does not have.
    static AutomationError unknownMember(const QString& name);
};
