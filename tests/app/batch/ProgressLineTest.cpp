#include "tests/app/automation/QStringPrinter.h"

#include "app/batch/ProgressLine.h"

#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

TEST(ProgressLineTest, DoneOfTotalFailuresElapsedAndTimeLeft) {
    EXPECT_EQ(ProgressLine::format(10, 40, 1, milliseconds(20000)),
              "10 of 40 files, 1 failed, 0:20 elapsed, about 1:00 left");
    EXPECT_EQ(ProgressLine::format(0, 40, 0, milliseconds(900)),
              "0 of 40 files, 0 failed, 0:00 elapsed")
        << "no estimate before the first file";
    EXPECT_EQ(ProgressLine::format(40, 40, 2, milliseconds(125000)),
              "40 of 40 files, 2 failed, 2:05 elapsed");
    EXPECT_EQ(ProgressLine::format(3, -1, 0, milliseconds(4000)), "3 files, 0 failed, 0:04 elapsed")
        << "while the walk is still counting";
    EXPECT_EQ(ProgressLine::clock(std::chrono::seconds(3 * 3600 + 5 * 60 + 7)), "3:05:07");
    EXPECT_EQ(ProgressLine::clock(std::chrono::seconds(3600)), "1:00:00");
    EXPECT_EQ(ProgressLine::clock(std::chrono::seconds(3599)), "59:59");
}

} // namespace
