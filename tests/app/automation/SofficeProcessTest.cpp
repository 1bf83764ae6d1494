#include "app/automation/SofficeProcess.h"
#include "app/automation/AutomationError.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

namespace {

// True while the process exists and is not a zombie.
bool runs(const QByteArray& pid) {
    QFile stat("/proc/" + pid.trimmed() + "/stat");
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    return !text.mid(text.lastIndexOf(')') + 2, 1).startsWith('Z');
}

TEST(SofficeProcessTest, KillEndsTheWholeProcessGroup) {
    QTemporaryDir temp;
    const QString pidFile = temp.path() + "/child";
    SofficeProcess process;
    // A leader with a child of its own, as the office's launcher has.
    process.start("/bin/sh", {"-c", "sleep 60 & echo $! > \"$0\"; wait", pidFile});
    QByteArray child;
    for (int i = 0; i < 500 && child.isEmpty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        QFile file(pidFile);
        if (file.open(QIODevice::ReadOnly))
            child = file.readAll().trimmed();
    }
    ASSERT_FALSE(child.isEmpty());
    ASSERT_TRUE(process.running());
    EXPECT_FALSE(process.waitForExit(std::chrono::milliseconds(100)));
    process.kill();
    EXPECT_FALSE(process.running());
    bool gone = false;
    for (int i = 0; i < 200 && !gone; ++i) {
        gone = !runs(child);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(gone) << "the leader's child must go with it";
}

TEST(SofficeProcessTest, ExitIsSeenAndMissingProgramsAreReported) {
    SofficeProcess process;
    process.start("/bin/sh", {"-c", "exit 3"});
    EXPECT_TRUE(process.waitForExit(std::chrono::seconds(10)));
    EXPECT_FALSE(process.running());
    EXPECT_THROW(process.start("/nonexistent/soffice", {}), AutomationError);
}

} // namespace
