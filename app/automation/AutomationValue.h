#pragma once

#include <QList>
#include <QString>
#include <memory>
#include <variant>

class AutomationObject;
using AutomationObjectPtr = std::shared_ptr<AutomationObject>;

// What travels through a late-bound call: nothing, a Boolean, a 32-bit
// integer, a text or a reference to another automation object.
using AutomationValue = std::variant<std::monostate, bool, qint32, QString, AutomationObjectPtr>;
using AutomationArgs = QList<AutomationValue>;
