#include "app/conversion/DeckClaims.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <QTemporaryDir>
#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Outcome = DeckClaims::Outcome;

// Two claims objects over one folder stand for two runs on two machines.
// Decks are named below in/, their pages go to out/.
class DeckClaimsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp.isValid()); }

    QString out() const { return temp.path() + "/out"; }
    DeckClaims::Deck deck(const QString& relative) const {
        return {relative, temp.path() + "/in/" + relative,
                out() + "/" + relative.section('.', 0, 0) + ".htm"};
    }
    void write(const QString& relative, const QByteArray& bytes) const {
        const QString path = deck(relative).sourcePath;
        PosixFiles::makePath(path.section('/', 0, -2));
        PosixFiles::writeAll(path, bytes);
    }
    // A whole page, as the publish step leaves one.
    void publish(const QString& relative) const {
        const QString page = deck(relative).pagePath;
        const QString name = page.section('/', -1).chopped(4);
        PosixFiles::makePath(page.section('/', 0, -2) + "/" + name + "_files");
        PosixFiles::writeAll(page.section('/', 0, -2) + "/" + name + "_files/img0.jpg",
                             "\xff\xd8 slide \xff\xd9");
        PosixFiles::writeAll(page,
                             "<html><img src=\"" + name.toUtf8() + "_files/img0.jpg\"></html>\n");
    }

    QTemporaryDir temp;
};

TEST_F(DeckClaimsTest, ALiveClaimHoldsAndADeadOneIsTakenOverOnce) {
    auto holder = std::make_unique<DeckClaims>(out(), "job-1", 200ms);
    DeckClaims other(out(), "job-1", 200ms);
    DeckClaims third(out(), "job-1", 200ms);
    const DeckClaims::Deck a = deck("sub/a.ppt");
    write("sub/a.ppt", "deck");
    EXPECT_EQ(holder->claim(a), Outcome::Mine);
    EXPECT_EQ(other.claim(deck("sub/b.ppt")), Outcome::Mine) << "other decks stay free";
    // Four expiries long, the holder's heartbeat keeps its claim alive.
    for (int i = 0; i < 16; ++i) {
        ASSERT_EQ(other.claim(a), Outcome::Held) << "after " << i * 50 << " ms";
        std::this_thread::sleep_for(50ms);
    }
    holder.reset(); // dies without finishing
    EXPECT_EQ(other.claim(a), Outcome::Held) << "a claim expires, it does not vanish";
    Outcome outcome = Outcome::Held;
    for (int i = 0; i < 100 && outcome == Outcome::Held; ++i) {
        std::this_thread::sleep_for(20ms);
        outcome = other.claim(a);
        if (third.claim(a) == Outcome::Mine)
            FAIL() << "two runs took over the same claim";
    }
    EXPECT_EQ(outcome, Outcome::Mine);
    EXPECT_EQ(third.claim(a), Outcome::Held);
    publish("sub/a.ppt");
    other.finish("sub/a.ppt");
    EXPECT_EQ(third.claim(a), Outcome::Elsewhere);
    EXPECT_EQ(other.claim(a), Outcome::Elsewhere) << "nor twice by the same run";
    // A run of another name starts afresh.
    DeckClaims next(out(), "job-2", 200ms);
    EXPECT_EQ(next.claim(a), Outcome::Mine);
}

// A claim name used again (the nightly job): a finished claim holds for the
// deck it finished, to the nanosecond, and a deck that failed is not tried
// again until it changes.
TEST_F(DeckClaimsTest, AFinishedClaimHoldsOnlyForTheDeckItFinished) {
    for (const char* name : {"kept.ppt", "touched.ppt", "bad.ppt"})
        write(name, "first version");
    {
        DeckClaims night(out(), "nightly");
        for (const char* name : {"kept.ppt", "touched.ppt", "bad.ppt"}) {
            ASSERT_EQ(night.claim(deck(name)), Outcome::Mine) << name;
            publish(name);
        }
        night.finish("kept.ppt");
        night.finish("touched.ppt");
        night.finish("bad.ppt", false); // marked as the run ends at the latest
    }
    struct stat info {};
    const QByteArray touched = LocalPath::toNative(deck("touched.ppt").sourcePath);
    ASSERT_EQ(::stat(touched.constData(), &info), 0);
    const struct timespec times[2] = {info.st_atim,
                                      {info.st_mtim.tv_sec, info.st_mtim.tv_nsec ^ 1}};
    ASSERT_EQ(::utimensat(AT_FDCWD, touched.constData(), times, 0), 0);
    DeckClaims next(out(), "nightly");
    EXPECT_EQ(next.claim(deck("kept.ppt")), Outcome::Elsewhere);
    EXPECT_EQ(next.claim(deck("touched.ppt")), Outcome::Mine);
    EXPECT_EQ(next.claim(deck("bad.ppt")), Outcome::Elsewhere) << "it would fail again";
    write("bad.ppt", "repaired");
    EXPECT_EQ(next.claim(deck("bad.ppt")), Outcome::Mine);
}

// Two runs asking for the same decks at the same moment: each deck is won
// by exactly one (only O_EXCL decides between creators that both found no
// claim).
TEST_F(DeckClaimsTest, RunsAskingAtOnceNeverBothWin) {
    DeckClaims first(out(), "race");
    DeckClaims second(out(), "race");
    constexpr int kDecks = 150;
    std::atomic<int> arrived{0};
    std::atomic<int> won[kDecks] = {};
    const auto race = [&](DeckClaims& claims) {
        for (int i = 0; i < kDecks; ++i) {
            // Both threads at the same deck, let go together.
            ++arrived;
            while (arrived < 2 * (i + 1))
                ;
            if (claims.claim(deck(QStringLiteral("d%1.ppt").arg(i))) == Outcome::Mine)
                ++won[i];
        }
    };
    std::thread other([&] { race(second); });
    race(first);
    other.join();
    int doubles = 0;
    for (const auto& count : won) {
        EXPECT_GE(count, 1);
        doubles += count > 1;
    }
    EXPECT_EQ(doubles, 0) << "decks won by both runs";
}

// A folder that takes no claims is no claim won: said at once, as an
// error, and nothing is claimed.
TEST_F(DeckClaimsTest, AClaimsFolderThatCannotBeWrittenIsAnErrorNotAClaim) {
    auto claims = std::make_unique<DeckClaims>(out(), "job");
    const QByteArray folder = LocalPath::toNative(claims->folder());
    ::chmod(LocalPath::toNative(temp.path()).constData(), 0755);
    ::chmod(folder.constData(), 0555);
    // Root writes anywhere: the other run is an ordinary user's.
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(10);
        try {
            DeckClaims(out(), "job");
            ::_exit(11);
        } catch (const FileError& error) {
            ::_exit(error.message().endsWith(": Permission denied") ? 0 : 12);
        }
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    ::chmod(folder.constData(), 0755);
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no other user, 11: a folder that takes no claim "
                                         "counted as usable, 12: another error";
    EXPECT_EQ(claims->claim(deck("a.ppt")), Outcome::Mine) << "nothing claimed on the error";
}

TEST_F(DeckClaimsTest, ClaimsOfRunsLongOverAreRemoved) {
    const QString root = out() + "/.deckvane-claims";
    ASSERT_TRUE(PosixFiles::makePath(root + "/old"));
    ASSERT_TRUE(PosixFiles::makePath(root + "/recent"));
    const timeval eightDaysAgo{::time(nullptr) - 8 * 86400, 0};
    const timeval times[2] = {eightDaysAgo, eightDaysAgo};
    ASSERT_EQ(::utimes(LocalPath::toNative(root + "/old").constData(), times), 0);
    DeckClaims claims(out(), "now");
    EXPECT_FALSE(PosixFiles::exists(root + "/old"));
    EXPECT_TRUE(PosixFiles::exists(root + "/recent"));
    EXPECT_TRUE(PosixFiles::exists(root + "/now"));
}

} // namespace
