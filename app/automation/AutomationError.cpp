#include "app/automation/AutomationError.h"

AutomationError AutomationError::fromServerDescription(const QString& description) {
    return AutomationError(trimServerDescription(description));
}

QString AutomationError::trimServerDescription(const QString& description) {
    qsizetype end = description.size();
    while (end > 0) {
        const QChar c = description.at(end - 1);
        if (c.unicode() > 0x20 && c != QLatin1Char('.'))
            break;
        --end;
    }
    return description.left(end);
}

AutomationError AutomationError::unknownMember(const QString& name) {
    return AutomationError(
        QStringLiteral("Method '%1' not supported by automation object").arg(name));
}
