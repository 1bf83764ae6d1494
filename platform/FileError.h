#pragma once

#include "platform/ReportableError.h"

// A file operation that failed, with the system's reason in the message.
class FileError : public ReportableError {
public:
    using ReportableError::ReportableError;
};
