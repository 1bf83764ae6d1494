#include "app/automation/SofficeProcess.h"
#include "app/automation/AutomationError.h"

#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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

TEST(SofficeProcessTest, TheProcessEndsWhenItsOwnerIsKilled) {
    QTemporaryDir temp;
    const QString pidFile = temp.path() + "/office";
    // The owner is a process of its own, killed the hard way as a crash or
    // kill -9 would; nothing of it runs any more to end the office.
    const pid_t owner = ::fork();
    ASSERT_GE(owner, 0);
    if (owner == 0) {
        SofficeProcess process;
        process.start("/bin/sh", {"-c", "echo $$ > \"$0\"; exec sleep 60", pidFile});
        ::pause();
        std::_Exit(0);
    }
    QByteArray office;
    for (int i = 0; i < 500 && office.isEmpty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        QFile file(pidFile);
        if (file.open(QIODevice::ReadOnly))
            office = file.readAll().trimmed();
    }
    ::kill(owner, SIGKILL);
    ::waitpid(owner, nullptr, 0);
    ASSERT_FALSE(office.isEmpty());
    bool gone = false;
    for (int i = 0; i < 300 && !gone; ++i) {
        gone = !runs(office);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(gone) << "the office must not outlive the program that started it";
}

TEST(SofficeProcessTest, TheOfficeGetsAUtf8LocaleWhenTheCallersIsNotOne) {
    const QByteArrayList caller{"HOME=/home/u", "LC_ALL=C", "LANG=de_DE.UTF-8",
                                "LC_MESSAGES=de_DE.UTF-8", "LC_TIME=C"};
    EXPECT_EQ(SofficeProcess::officeEnvironment(caller, false),
              QByteArrayList({"HOME=/home/u", "LC_TIME=C", "LC_ALL=C.UTF-8"}));
    EXPECT_EQ(SofficeProcess::officeEnvironment(caller, true), caller);

    const QByteArray saved = qgetenv("LC_ALL");
    const QByteArray savedLang = qgetenv("LANG");
    qputenv("LC_ALL", "C");
    EXPECT_FALSE(SofficeProcess::callerLocaleIsUtf8());
    qunsetenv("LC_ALL");
    qputenv("LANG", "xx_YY.UTF-8"); // a locale no system has
    EXPECT_FALSE(SofficeProcess::callerLocaleIsUtf8());
    qputenv("LC_ALL", "C.UTF-8");
    EXPECT_TRUE(SofficeProcess::callerLocaleIsUtf8());
    for (const auto& [name, value] : {std::pair{"LC_ALL", saved}, std::pair{"LANG", savedLang}}) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
}

} // namespace
