#include "platform/MessageBoxSeam.h"

#include <gtest/gtest.h>
#include <vector>

TEST(MessageBoxSeam, FullStopOnlyAfterCharactersSortingAfterTheDot) {
    EXPECT_EQ(MessageBoxSeam::standardErrorText(QString()), QString());
    EXPECT_EQ(MessageBoxSeam::standardErrorText("Unable to create directory"),
              "Unable to create directory.");
    // '!' and ',' sort before '.', the dot itself is not after it.
    EXPECT_EQ(MessageBoxSeam::standardErrorText("Stop!"), "Stop!");
    EXPECT_EQ(MessageBoxSeam::standardErrorText("a,"), "a,");
    EXPECT_EQ(MessageBoxSeam::standardErrorText("Done."), "Done.");
    EXPECT_EQ(MessageBoxSeam::standardErrorText("x/"), "x/.");
    EXPECT_EQ(MessageBoxSeam::standardErrorText("7"), "7.");
    EXPECT_EQ(MessageBoxSeam::standardErrorText(QString::fromUtf8("处理完成")),
              QString::fromUtf8("处理完成."));
}

TEST(MessageBoxSeam, ErrorBoxCarriesTheApplicationTitleAndErrorKind) {
    std::vector<MessageBoxSeam::Message> seen;
    auto previous = MessageBoxSeam::setSink([&](const auto& m) { seen.push_back(m); });
    MessageBoxSeam::showError("No server");
    MessageBoxSeam::showInformation("Sorry, no");
    MessageBoxSeam::setSink(previous);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].kind, MessageBoxSeam::Kind::Error);
    EXPECT_EQ(seen[0].title, "Deckvane");
    EXPECT_EQ(seen[0].text, "No server.");
    EXPECT_EQ(seen[1].kind, MessageBoxSeam::Kind::Information);
    EXPECT_EQ(seen[1].text, "Sorry, no");
}
