#include "app/automation/AutomationObject.h"

#include "app/automation/AutomationError.h"

AutomationObject::~AutomationObject() = default;

AutomationValue AutomationObject::invoke(const QString& name, CallKind kind,
                                         const AutomationArgs& args) {
    const auto it = m_members.constFind(name.toCaseFolded());
    if (it == m_members.constEnd())
        throw AutomationError::unknownMember(name);
    return it.value()(kind, args);
}

AutomationValue AutomationObject::call(const QString& name, const AutomationArgs& args) {
    return invoke(name, CallKind::Method, args);
}

AutomationValue AutomationObject::get(const QString& name) {
    return invoke(name, CallKind::PropertyGet);
}

void AutomationObject::put(const QString& name, const AutomationValue& value) {
    invoke(name, CallKind::PropertyPut, {value});
}

AutomationObjectPtr AutomationObject::toObject(const AutomationValue& value, const QString& what) {
    if (const auto* object = std::get_if<AutomationObjectPtr>(&value); object && *object)
        return *object;
    throw AutomationError(QStringLiteral("The server gave no %1").arg(what));
}

QString AutomationObject::toText(const AutomationValue& value, const QString& what) {
    if (const auto* text = std::get_if<QString>(&value))
        return *text;
    throw AutomationError(QStringLiteral("The server gave no %1").arg(what));
}

void AutomationObject::addMember(const QString& name, Member member) {
    m_members.insert(name.toCaseFolded(), std::move(member));
}

void AutomationObject::requireArgCount(const AutomationArgs& args, qsizetype count) {
    if (args.size() != count)
        throw AutomationError(QStringLiteral("Invalid number of parameters"));
}

namespace {
template <typename T> const T& argOf(const AutomationArgs& args, qsizetype index) {
    if (index >= args.size())
        throw AutomationError(QStringLiteral("Invalid number of parameters"));
    if (const T* value = std::get_if<T>(&args.at(index)))
        return *value;
    throw AutomationError(QStringLiteral("Type mismatch"));
}
} // namespace

QString AutomationObject::textArg(const AutomationArgs& args, qsizetype index) {
    return argOf<QString>(args, index);
}

qint32 AutomationObject::intArg(const AutomationArgs& args, qsizetype index) {
    return argOf<qint32>(args, index);
}

bool AutomationObject::boolArg(const AutomationArgs& args, qsizetype index) {
    return argOf<bool>(args, index);
}
