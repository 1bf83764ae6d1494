#include "app/automation/AutomationObject.h"
#include "ErrorMessageOf.h"
#include "QStringPrinter.h"
#include "app/automation/AutomationError.h"

#include <gtest/gtest.h>

namespace {

class Counter : public AutomationObject {
public:
    Counter() {
        addMember("Add", [this](CallKind, const AutomationArgs& args) {
            total += intArg(args, 0);
            return AutomationValue(total);
        });
        addMember("label", [this](CallKind kind, const AutomationArgs& args) {
            if (kind == CallKind::PropertyPut)
                label = textArg(args, 0);
            return AutomationValue(label);
        });
    }
    qint32 total = 0;
    QString label;
};

TEST(AutomationObjectTest, NamesAreMatchedWithoutRegardToCase) {
    Counter counter;
    counter.call("ADD", {qint32(2)});
    counter.call("add", {qint32(3)});
    EXPECT_EQ(counter.total, 5);
    counter.put("Label", QStringLiteral("x"));
    EXPECT_EQ(AutomationObject::toText(counter.get("LABEL"), "label"), "x");
}

TEST(AutomationObjectTest, UnknownNamesAndBadArgumentsGiveDispatchMessages) {
    Counter counter;
    EXPECT_EQ(messageOf([&] { counter.call("Frobnicate"); }),
              "Method 'Frobnicate' not supported by automation object");
    EXPECT_EQ(messageOf([&] { counter.call("Add"); }), "Invalid number of parameters");
    EXPECT_EQ(messageOf([&] { counter.call("Add", {QStringLiteral("2")}); }), "Type mismatch");
    EXPECT_EQ(messageOf([&] { AutomationObject::toObject(counter.get("label"), "presentation"); }),
              "The server gave no presentation");
}

TEST(AutomationObjectTest, ServerDescriptionsLoseTrailingBlanksControlsAndFullStops) {
    EXPECT_EQ(AutomationError::trimServerDescription("File not found. \r\n"), "File not found");
    EXPECT_EQ(AutomationError::trimServerDescription("a.b..."), "a.b");
    EXPECT_EQ(AutomationError::trimServerDescription(" ...\t"), "");
    EXPECT_EQ(AutomationError::trimServerDescription("ok"), "ok");
}

} // namespace
