#include "tests/app/automation/QStringPrinter.h"

#include "app/conversion/DeckSettler.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

DeckSettler::Look file(qint64 size, qint64 modified) {
    return {true, 1, 7, size, modified, 0};
}

// A copy in pieces: every change waits anew, and a change nobody reported
// (a network file system) is caught when the wait is up. A deck that failed
// waits until it changes; one that is gone goes whatever it did.
TEST(DeckSettlerTest, ADeckGoesThroughOnceLeftAloneAndAFailedOneOnlyOnceChanged) {
    QHash<QString, DeckSettler::Look> disk;
    DeckSettler settler(2s, [&disk](const QString& path) { return disk.value(path); });
    const DeckSettler::Clock::time_point start;
    const auto settled = [&](DeckSettler::Clock::duration after) {
        QStringList paths;
        for (const DeckSettler::Settled& deck : settler.takeSettled(start + after))
            paths.append(deck.path + (deck.look.exists ? "" : " gone"));
        return paths;
    };
    disk["/t/a.ppt"] = file(100, 1);
    settler.touch("/t/a.ppt", start);
    disk["/t/a.ppt"] = file(200, 2);
    settler.touch("/t/a.ppt", start + 1s);
    EXPECT_TRUE(settled(2500ms).isEmpty()) << "touched again at 1 s";
    disk["/t/a.ppt"] = file(300, 3); // no event
    EXPECT_TRUE(settled(3s).isEmpty()) << "changed behind the watcher's back";
    EXPECT_EQ(settler.nextDue(), start + 5s);
    EXPECT_EQ(settled(5s), QStringList{"/t/a.ppt"});
    EXPECT_FALSE(settler.nextDue());

    settler.failed("/t/a.ppt", disk["/t/a.ppt"]);
    settler.touch("/t/a.ppt", start + 6s); // a rescan finds it out of date
    EXPECT_TRUE(settled(8s).isEmpty());
    EXPECT_EQ(settler.waiting(), 0) << "not held either";
    disk["/t/a.ppt"] = file(300, 4);
    settler.touch("/t/a.ppt", start + 9s);
    EXPECT_EQ(settled(11s), QStringList{"/t/a.ppt"});
    settler.failed("/t/a.ppt", disk["/t/a.ppt"]);
    disk.remove("/t/a.ppt");
    settler.touch("/t/a.ppt", start + 12s);
    EXPECT_EQ(settled(14s), QStringList{"/t/a.ppt gone"});
}

} // namespace
