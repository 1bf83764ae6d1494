#include "app/automation/ProcessGroupMemory.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

TEST(ProcessGroupMemoryTest, SumsEveryProcessOfTheGroup) {
    const qint64 own = ProcessGroupMemory::processResidentBytes(::getpid());
    ASSERT_GT(own, 0);
    // A child in a group of its own that touches 32 MB and maps 1 GB it
    // never touches (as an office maps far more than it uses): the group's
    // sum is what it touched, and this process is not part of it.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setpgid(0, 0);
        std::vector<char> block(32 << 20, 1);
        [[maybe_unused]] void* untouched =
            ::mmap(nullptr, size_t(1) << 30, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        [[maybe_unused]] const auto written = ::write(ready[1], block.data(), 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    const qint64 group = ProcessGroupMemory::residentBytes(child);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_GE(group, qint64(32) << 20);
    EXPECT_LT(group, own + (qint64(64) << 20)) << "only the group's processes count";
    EXPECT_EQ(ProcessGroupMemory::residentBytes(child), -1) << "a group that is gone";
    EXPECT_EQ(ProcessGroupMemory::residentBytes(0), -1);
}

} // namespace
