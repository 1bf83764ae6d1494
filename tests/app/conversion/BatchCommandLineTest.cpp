#include "app/conversion/BatchCommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(BatchCommandLineTest, DefaultsMatchTheWindow) {
    const auto options = BatchCommandLine::parse({"decks"}, "/home/u");
    EXPECT_TRUE(options.error.isEmpty());
    EXPECT_EQ(options.masks, "*.ppt,*.pps");
    EXPECT_EQ(options.outputFolder, "/home/u/html");
    EXPECT_EQ(options.folder, "decks");
}

TEST(BatchCommandLineTest, OptionsInBothSpellingsAndAfterTheFolder) {
    auto options =
        BatchCommandLine::parse({"--masks", "*.odp, *.ppt", "in", "--out=/tmp/o", "--list"}, "/h");
    EXPECT_TRUE(options.listOnly);
    EXPECT_EQ(options.masks, "*.odp, *.ppt");
    EXPECT_EQ(options.outputFolder, "/tmp/o");
    EXPECT_EQ(options.folder, "in");
    options = BatchCommandLine::parse({"--masks=", "--", "--odd-folder"}, "/h");
    EXPECT_TRUE(options.error.isEmpty());
    EXPECT_EQ(options.masks, "");
    EXPECT_EQ(options.folder, "--odd-folder");
}

TEST(BatchCommandLineTest, BadUsageIsReported) {
    EXPECT_FALSE(BatchCommandLine::parse({}, "/h").error.isEmpty());
    EXPECT_FALSE(BatchCommandLine::parse({"a", "b"}, "/h").error.isEmpty());
    EXPECT_FALSE(BatchCommandLine::parse({"a", "--out"}, "/h").error.isEmpty());
    EXPECT_FALSE(BatchCommandLine::parse({"--frobnicate", "a"}, "/h").error.isEmpty());
    EXPECT_FALSE(BatchCommandLine::parse({"--out", "", "a"}, "/h").error.isEmpty());
    EXPECT_TRUE(BatchCommandLine::parse({"-h"}, "/h").help);
}

} // namespace
