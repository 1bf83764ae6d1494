#include "app/batch/BatchCommandLine.h"
#include "app/automation/ImpressServer.h"
#include "app/conversion/ConversionEngine.h"
#include "app/conversion/DeckClaims.h"
#include "platform/PosixFiles.h"

#include <QRegularExpression>
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
                                                     {"--jobs", " 2", "in"},
                                                     {"--jobs=+3", "in"},
                                                     {"--shard", "+1/2", "in"},
                                                     {"--shard", "1/ 2", "in"},
                                                     {"--shard", "3/2", "in"},
                                                     {"--shard", "in"},
                                                     {"--claim", "a/b", "in"},
                                                     {"--claim=", "in"}})
        EXPECT_FALSE(BatchCommandLine::parse(bad, "/h").error.isEmpty())
            << bad.join(' ').toStdString();
}

// The manual page's figures are the program's own: each is read here from
// the constant the program uses, so a change to one shows in the other.
TEST(BatchManualPage, ItsFiguresAndExitStatusesAreTheProgramsOwn) {
    QString page = QString::fromUtf8(PosixFiles::readAll(
        qEnvironmentVariable("DECKVANE_SOURCE_DIR") + "/packaging/man/deckvane-batch.1"));
    page.replace("\\-", "-")
        .remove(
            QRegularExpression("\\\\f[BIRP]|^\\.[A-Z]+ ?", QRegularExpression::MultilineOption));
    page = page.simplified();
    const auto says = [&](const QString& text) {
        EXPECT_TRUE(page.contains(text)) << "the manual page does not say: " << text.toStdString();
    };
    says(QStringLiteral("offices at once (1 to %1)").arg(BatchCommandLine::kMaxJobs));
    says(QStringLiteral(
             "as the free memory holds at %1 GiB each (the memory each office is held to)")
             .arg(ImpressServer::kMemoryLimit >> 30));
    EXPECT_EQ(ImpressServer::kMemoryLimit % (1ll << 30), 0);
    says(QStringLiteral("busy for more than %1 seconds fails")
             .arg(ConversionEngine::kFileTimeLimit.count()));
    says(QStringLiteral("no sign of life expires (default %1;")
             .arg(DeckClaims::kDefaultExpiry.count()));
    EXPECT_EQ(DeckClaims::kDefaultExpiry, std::chrono::minutes(1)) << "it says a minute";
    says("expires after a minute without a sign of life");
    EXPECT_EQ(DeckClaims::kOldRunAge, std::chrono::hours(24 * 7)) << "it says a week";
    says("claims of runs untouched for a week are removed");
    // Every reason for each status that the program has.
    says("1 Some files failed to convert, or the log could not be written to standard output.");
    says("2 Bad usage, an output folder or a claims folder that cannot be made, or LibreOffice "
         "could not be reached or started.");
    says("whose page is complete");
}

} // namespace
