#include "app/conversion/DeckClaims.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <sys/time.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Outcome = DeckClaims::Outcome;

// Two claims objects over one folder stand for two runs on two machines.
TEST(DeckClaimsTest, ALiveClaimHoldsAndADeadOneIsTakenOverOnce) {
    QTemporaryDir out;
    auto holder = std::make_unique<DeckClaims>(out.path(), "job-1", 200ms);
    DeckClaims other(out.path(), "job-1", 200ms);
    DeckClaims third(out.path(), "job-1", 200ms);
    EXPECT_EQ(holder->claim("sub/a.ppt"), Outcome::Mine);
    EXPECT_EQ(other.claim("sub/b.ppt"), Outcome::Mine) << "other decks stay free";
    // Four expiries long, the holder's heartbeat keeps its claim alive.
    for (int i = 0; i < 16; ++i) {
        ASSERT_EQ(other.claim("sub/a.ppt"), Outcome::Held) << "after " << i * 50 << " ms";
        std::this_thread::sleep_for(50ms);
    }
    holder.reset(); // dies without finishing
    EXPECT_EQ(other.claim("sub/a.ppt"), Outcome::Held) << "a claim expires, it does not vanish";
    Outcome outcome = Outcome::Held;
    for (int i = 0; i < 100 && outcome == Outcome::Held; ++i) {
        std::this_thread::sleep_for(20ms);
        outcome = other.claim("sub/a.ppt");
        if (third.claim("sub/a.ppt") == Outcome::Mine)
            FAIL() << "two runs took over the same claim";
    }
    EXPECT_EQ(outcome, Outcome::Mine);
    EXPECT_EQ(third.claim("sub/a.ppt"), Outcome::Held);
    other.finish("sub/a.ppt");
    EXPECT_EQ(third.claim("sub/a.ppt"), Outcome::Elsewhere);
    EXPECT_EQ(other.claim("sub/a.ppt"), Outcome::Elsewhere) << "nor twice by the same run";
    // A run of another name starts afresh.
    DeckClaims next(out.path(), "job-2", 200ms);
    EXPECT_EQ(next.claim("sub/a.ppt"), Outcome::Mine);
}

TEST(DeckClaimsTest, ClaimsOfRunsLongOverAreRemoved) {
    QTemporaryDir out;
    const QString root = out.path() + "/.deckvane-claims";
    ASSERT_TRUE(PosixFiles::makePath(root + "/old"));
    ASSERT_TRUE(PosixFiles::makePath(root + "/recent"));
    const timeval eightDaysAgo{::time(nullptr) - 8 * 86400, 0};
    const timeval times[2] = {eightDaysAgo, eightDaysAgo};
    ASSERT_EQ(::utimes(LocalPath::toNative(root + "/old").constData(), times), 0);
    DeckClaims claims(out.path(), "now");
    EXPECT_FALSE(PosixFiles::exists(root + "/old"));
    EXPECT_TRUE(PosixFiles::exists(root + "/recent"));
    EXPECT_TRUE(PosixFiles::exists(root + "/now"));
}

} // namespace
