#include "tests/app/automation/QStringPrinter.h"

#include "app/conversion/ReorderBuffer.h"

#include <gtest/gtest.h>

namespace {

QStringList texts(const QList<ReorderBuffer::Line>& lines) {
    QStringList result;
    for (const auto& line : lines)
        result << line.text;
    return result;
}

TEST(ReorderBufferTest, ReleasesInSequenceWhateverOrderLinesArrive) {
    ReorderBuffer buffer(8);
    buffer.put(2, {"c", true});
    buffer.put(1, {"b", false});
    EXPECT_FALSE(buffer.hasReady());
    EXPECT_TRUE(buffer.takeReady().isEmpty()) << "nothing before the first line is in";
    buffer.put(0, {"a", true});
    const auto ready = buffer.takeReady();
    EXPECT_EQ(texts(ready), QStringList({"a", "b", "c"}));
    EXPECT_FALSE(ready[1].converted);
    buffer.put(4, {"e", true});
    EXPECT_TRUE(buffer.takeReady().isEmpty());
    buffer.put(3, {"d", true});
    EXPECT_EQ(texts(buffer.takeReady()), QStringList({"d", "e"}));
    EXPECT_EQ(buffer.next(), 5);
}

TEST(ReorderBufferTest, AdmitsOnlyCapacityFilesPastTheOldestUnreleased) {
    ReorderBuffer buffer(3);
    EXPECT_TRUE(buffer.admits(2));
    EXPECT_FALSE(buffer.admits(3));
    buffer.put(1, {"b", true});
    buffer.put(2, {"c", true});
    EXPECT_FALSE(buffer.admits(3)) << "a slow first file holds the window";
    buffer.put(0, {"a", true});
    buffer.takeReady();
    EXPECT_TRUE(buffer.admits(5));
    EXPECT_FALSE(buffer.admits(6));
}

TEST(ReorderBufferTest, ALineGivenTwiceOrAfterReleaseIsDropped) {
    ReorderBuffer buffer(4);
    buffer.put(0, {"a", true});
    buffer.put(0, {"again", true});
    EXPECT_EQ(texts(buffer.takeReady()), QStringList({"a"}));
    buffer.put(0, {"late", true});
    EXPECT_EQ(buffer.held(), 0);
}

} // namespace
