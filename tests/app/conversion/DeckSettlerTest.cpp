#include "tests/app/automation/QStringPrinter.h"

#include "app/conversion/DeckSettler.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

class DeckSettlerTest : public ::testing::Test {
protected:
    DeckSettler::Look file(qint64 size, qint64 modified) {
        DeckSettler::Look look;
        look.exists = true;
        look.inode = 7;
        look.size = size;
        look.modified = modified;
        return look;
    }
    QStringList settled(DeckSettler::Clock::duration after) {
        QStringList paths;
        for (const DeckSettler::Settled& deck : settler.takeSettled(start + after))
            paths.append(deck.path + (deck.look.exists ? "" : " gone"));
        return paths;
    }

    QHash<QString, DeckSettler::Look> disk;
    DeckSettler settler{2s, [this](const QString& path) { return disk.value(path); }};
    const DeckSettler::Clock::time_point start;
};

// A copy in pieces: every change waits anew, and a change nobody reported
// (a network file system) is caught when the wait is up.
TEST_F(DeckSettlerTest, ADeckIsLetThroughOnceLeftAloneForTheSettleTime) {
    disk["/t/a.ppt"] = file(100, 1);
    settler.touch("/t/a.ppt", start);
    disk["/t/a.ppt"] = file(200, 2);
    settler.touch("/t/a.ppt", start + 1s);
    EXPECT_TRUE(settled(2500ms).isEmpty()) << "touched again at 1 s";
    EXPECT_EQ(settler.nextDue(), start + 3s);
    disk["/t/a.ppt"] = file(300, 3); // no event
    EXPECT_TRUE(settled(3s).isEmpty()) << "changed behind the watcher's back";
    EXPECT_EQ(settler.nextDue(), start + 5s);
    EXPECT_EQ(settled(5s), QStringList{"/t/a.ppt"});
    EXPECT_EQ(settler.waiting(), 0);
    EXPECT_FALSE(settler.nextDue());
    disk.remove("/t/a.ppt");
    settler.touch("/t/a.ppt", start + 6s);
    EXPECT_EQ(settled(8s), QStringList{"/t/a.ppt gone"});
}

TEST_F(DeckSettlerTest, AFailedDeckWaitsUntilItChanges) {
    disk["/t/bad.ppt"] = file(10, 1);
    settler.failed("/t/bad.ppt", disk["/t/bad.ppt"]);
    settler.touch("/t/bad.ppt", start); // a rescan finds it out of date
    EXPECT_TRUE(settled(3s).isEmpty());
    EXPECT_EQ(settler.waiting(), 0) << "not held either";
    disk["/t/bad.ppt"] = file(10, 2);
    settler.touch("/t/bad.ppt", start + 4s);
    EXPECT_EQ(settled(6s), QStringList{"/t/bad.ppt"});
    // Gone, it goes whatever it did; converted, its failure is forgotten.
    settler.failed("/t/bad.ppt", disk["/t/bad.ppt"]);
    settler.forget("/t/bad.ppt");
    settler.touch("/t/bad.ppt", start + 7s);
    EXPECT_EQ(settled(9s), QStringList{"/t/bad.ppt"});
    EXPECT_EQ(settler.failures(), 0);
}

} // namespace
