#include <QFile>
#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

namespace {

// Whether the process has a handler for the signal (its status lists the
// caught signals as a hexadecimal mask).
bool catches(qint64 pid, int signal) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

TEST(MainTest, TheWindowEndsOnTerminationSignalsAsTheBatchDoes) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        QProcess window;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        window.setProcessEnvironment(environment);
        window.start(DECKVANE_APP, {});
        ASSERT_TRUE(window.waitForStarted());
        bool ready = false;
        for (int i = 0; i < 600 && !ready; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ready = catches(window.processId(), signal);
        }
        ASSERT_TRUE(ready) << "no handler for signal " << signal;
        ::kill(pid_t(window.processId()), signal);
        ASSERT_TRUE(window.waitForFinished(30000));
        EXPECT_EQ(window.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(window.exitCode(), 128 + signal);
        EXPECT_TRUE(window.readAllStandardError().contains("deckvane: interrupted"));
    }
}

} // namespace
