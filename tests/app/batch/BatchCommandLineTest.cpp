#include "app/batch/BatchCommandLine.h"

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
    EXPECT_FALSE(options.followLinks || options.attach) << "the tree alone, a locked office";
    EXPECT_EQ(options.masks, "*.odp, *.ppt");
    EXPECT_EQ(options.outputFolder, "/tmp/o");
    EXPECT_EQ(options.folder, "in");
    options = BatchCommandLine::parse({"--follow-links", "in", "--attach"}, "/h");
    EXPECT_TRUE(options.followLinks && options.attach);
    options = BatchCommandLine::parse({"--masks=*", "--", "--odd-folder"}, "/h");
    EXPECT_TRUE(options.error.isEmpty());
    EXPECT_EQ(options.folder, "--odd-folder");
}

TEST(BatchCommandLineTest, BadUsageIsReported) {
    EXPECT_FALSE(BatchCommandLine::parse({}, "/h").error.isEmpty());
    EXPECT_FALSE(BatchCommandLine::parse({"a", "b"}, "/h").error.isEmpty());
    EXPECT_FALSE(BatchCommandLine::parse({"a", "--out"}, "/h").error.isEmpty());
    EXPECT_FALSE(BatchCommandLine::parse({"--frobnicate", "a"}, "/h").error.isEmpty());
    EXPECT_FALSE(BatchCommandLine::parse({"--out", "", "a"}, "/h").error.isEmpty());
    // Masks that name nothing, a value forgotten, an option that would do
    // nothing: each would convert nothing and say all went well.
    for (const QStringList& bad : QList<QStringList>{{"--masks", "", "a"},
                                                     {"--masks=,", "a"},
                                                     {"--masks", " ", "a"},
                                                     {"--masks", "--list", "a"},
                                                     {"--index", "--list", "a"},
                                                     {"--title", "Talks", "a"}})
        EXPECT_FALSE(BatchCommandLine::parse(bad, "/h").error.isEmpty())
            << bad.join(' ').toStdString();
    EXPECT_TRUE(BatchCommandLine::parse({"-h"}, "/h").help);
}

TEST(BatchCommandLineTest, ScaleOptions) {
    auto options = BatchCommandLine::parse({"--jobs", "3", "--shard=2/5", "-u", "--tree", "--index",
                                            "--claim=slurm-7", "--title", "Talks 2024", "in"},
                                           "/h");
    ASSERT_TRUE(options.error.isEmpty()) << options.error.toStdString();
    EXPECT_EQ(options.jobs, 3);
    EXPECT_EQ(options.shard.index(), 2);
    EXPECT_EQ(options.shard.count(), 5);
    EXPECT_TRUE(options.update);
    EXPECT_TRUE(options.tree);
    EXPECT_TRUE(options.index);
    const auto most = BatchCommandLine::parse({"--jobs", "64", "in"}, "/h");
    EXPECT_TRUE(most.error.isEmpty()) << most.error.toStdString();
    EXPECT_EQ(most.jobs, 64);
    EXPECT_EQ(options.claimRun, "slurm-7");
    EXPECT_EQ(options.title, "Talks 2024");
    options = BatchCommandLine::parse({"in"}, "/h");
    EXPECT_FALSE(options.title) << "the archive keeps the name it has";
    EXPECT_EQ(options.jobs, 0) << "left to the machine";
    EXPECT_TRUE(options.shard.isWhole());
    EXPECT_FALSE(options.update || options.tree || options.index);
    EXPECT_TRUE(options.claimRun.isEmpty());
    for (const QStringList& bad : QList<QStringList>{{"--jobs", "0", "in"},
                                                     {"--jobs=65", "in"},
                                                     {"--jobs", "two", "in"},
                                                     {"--shard", "3/2", "in"},
                                                     {"--shard", "in"},
                                                     {"--claim", "a/b", "in"},
                                                     {"--claim=", "in"}})
        EXPECT_FALSE(BatchCommandLine::parse(bad, "/h").error.isEmpty())
            << bad.join(' ').toStdString();
}

} // namespace
