#pragma once

#include "app/automation/AutomationValue.h"

#include <QHash>
#include <functional>

// An object called late-bound, by member name, the way the presentation
// server is driven. Names are matched without regard to case; arguments are
// positional. A subclass registers its members once in its constructor.
class AutomationObject {
public:
    enum class CallKind { Method, PropertyGet, PropertyPut };

    virtual ~AutomationObject();

    AutomationValue invoke(const QString& name, CallKind kind, const AutomationArgs& args = {});

    // The forms the conversion uses: a method call, a method-or-property
    // get, and a property put.
    AutomationValue call(const QString& name, const AutomationArgs& args = {});
    AutomationValue get(const QString& name);
    void put(const QString& name, const AutomationValue& value);

    // Unwrap a result the caller relies on; a result of another kind raises
    // an error naming what was expected.
    static AutomationObjectPtr toObject(const AutomationValue& value, const QString& what);
    static QString toText(const AutomationValue& value, const QString& what);

protected:
    using Member = std::function<AutomationValue(CallKind, const AutomationArgs&)>;
    void addMember(const QString& name, Member member);

    // Argument checks for member implementations; failures raise the
    // messages a dispatch server gives for them.
    static void requireArgCount(const AutomationArgs& args, qsizetype count);
    static QString textArg(const AutomationArgs& args, qsizetype index);
    static qint32 intArg(const AutomationArgs& args, qsizetype index);
    static bool boolArg(const AutomationArgs& args, qsizetype index);

private:
    QHash<QString, Member> m_members;
};
