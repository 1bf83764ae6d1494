// deckvane-batch --watch with the tests' stand-in office, as a process: it
// is signalled and killed like the real one.

#include "tests/app/automation/QStringPrinter.h"

#include "app/automation/HtmlPublisher.h"
#include "platform/PosixFiles.h"
#include "tests/app/conversion/IndexedPages.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

QByteArray contentOf(const QString& path) {
    return PosixFiles::exists(path) ? PosixFiles::readAll(path) : QByteArray();
}

class Watcher {
public:
    // wrapper: a command that runs the watcher, its arguments following.
    Watcher(const QStringList& arguments, const QString& statusFile,
            const QStringList& wrapper = {})
        : m_status(statusFile) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DECKVANE_OFFICE_WARM", "1");
        environment.insert("DECKVANE_CLAIM_EXPIRY", "1");
        m_process.setProcessEnvironment(environment);
        const QStringList command =
            wrapper + QStringList{DECKVANE_STANDIN, "--watch", "--status", statusFile} + arguments;
        m_process.start(command.first(), command.mid(1));
        m_process.waitForStarted();
    }
    ~Watcher() {
        m_process.kill();
        m_process.waitForFinished();
    }
    QStringList lines() {
        m_log += QString::fromUtf8(m_process.readAllStandardOutput());
        return m_log.split('\n', Qt::SkipEmptyParts);
    }
    int count(const QString& line) { return int(lines().count(line)); }
    QJsonObject status() const { return QJsonDocument::fromJson(contentOf(m_status)).object(); }
    bool idle() const {
        return status().value("state") == "idle" && !status()["officesRunning"].toBool();
    }
    // Up to a minute, the machine may be busy: a wait, not a time limit.
    bool waitFor(const std::function<bool()>& done) {
        for (int i = 0; i < 600 && !done(); ++i)
            m_process.waitForReadyRead(100);
        return done();
    }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QString m_status;
    QString m_log;
};

class BatchWatchTest : public ::testing::Test {
protected:
    void SetUp() override { PosixFiles::makePath(in); }
    void write(const QString& relative, const QByteArray& content) {
        PosixFiles::makePath(in + "/" + relative.section('/', 0, -2));
        PosixFiles::writeAll(in + "/" + relative, content);
    }
    QSet<QString> pagesOnDisk() const {
        QSet<QString> pages;
        QDirIterator it(out, {"*.htm"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString page = it.next();
            if (HtmlPublisher::isComplete(page))
                pages.insert(page.mid(out.size() + 1));
        }
        return pages;
    }
    QSet<QString> pagesIndexed() const {
        const QStringList pages = IndexedPages(out);
        return QSet<QString>(pages.cbegin(), pages.cend());
    }
    // Every page complete and made from its deck as the deck is now, the
    // index listing exactly them.
    void expectArchiveMatches(const QStringList& decks) {
        QSet<QString> expected;
        for (const QString& deck : decks) {
            const QString page = QString(deck).replace(QRegularExpression("\\..*$"), ".htm");
            expected.insert(page);
            struct stat info {};
            ::stat(qPrintable(in + "/" + deck), &info);
            const HtmlPublisher::SourceNote note = HtmlPublisher::sourceNoteOf(out + "/" + page);
            EXPECT_EQ(note.source, deck);
            EXPECT_EQ(note.nanoseconds, info.st_mtim.tv_nsec) << deck.toStdString();
        }
        EXPECT_EQ(pagesOnDisk(), expected);
        EXPECT_EQ(pagesIndexed(), expected);
    }

    QTemporaryDir temp;
    const QString in = temp.path() + "/in";
    const QString out = temp.path() + "/out";
};

// A slow copy is converted once, when it is done; a changed deck again; a
// deleted or renamed deck's page goes; folders made or moved in are seen;
// a deck that fails is not tried again until it changes; a burst goes
// through; idle, no office is held and the index lists every page.
TEST_F(BatchWatchTest, KeepsTheArchiveCurrentAsDecksComeChangeAndGo) {
    for (const char* deck : {"a.ppt", "sub/b.ppt", "c.ppt", "old.ppt"})
        write(deck, QByteArray("deck ") + deck);
    QProcess::execute(DECKVANE_STANDIN, {"--tree", "--index", "--out", out, in});
    ::unlink(qPrintable(in + "/old.ppt")); // while no watcher looked
    Watcher watcher({"--tree", "--index", "--settle", "2", "--rescan", "0.5", "--out", out, in},
                    temp.path() + "/status.json");
    ASSERT_TRUE(watcher.waitFor([&] { return watcher.count(in + "/old.pptPage removed") == 1; }));

    for (QByteArray copied; copied.size() < 6 * 4096; std::this_thread::sleep_for(200ms))
        PosixFiles::writeAll(in + "/slow.ppt", copied += QByteArray(4096, 'a'));
    ASSERT_TRUE(watcher.waitFor([&] { return watcher.count(in + "/slow.pptOK") == 1; }));

    write("a.ppt", "deck a, changed");
    ::unlink(qPrintable(in + "/sub/b.ppt"));
    PosixFiles::rename(in + "/c.ppt", in + "/renamed.ppt");
    write("new/deeper/x.ppt", "deck x");
    PosixFiles::makePath(temp.path() + "/elsewhere/moved");
    PosixFiles::writeAll(temp.path() + "/elsewhere/moved/y.pps", "deck y");
    PosixFiles::rename(temp.path() + "/elsewhere/moved", in + "/moved");
    write("broken.ppt", "deck that fails");
    QStringList expected;
    for (const char* line :
         {"a.pptOK", "sub/b.pptPage removed", "c.pptPage removed", "renamed.pptOK",
          "new/deeper/x.pptOK", "moved/y.ppsOK", "broken.pptCannot open file"})
        expected.append(in + "/" + line);
    ASSERT_TRUE(watcher.waitFor([&] {
        return std::all_of(expected.begin(), expected.end(),
                           [&](const QString& line) { return watcher.count(line) == 1; });
    })) << watcher.lines().join('\n').toStdString();
    // Rescans come every half second and find it out of date: were it
    // tried again, a later deck would be converted after it.
    write("marker.ppt", "deck marker");
    ASSERT_TRUE(watcher.waitFor([&] { return watcher.count(in + "/marker.pptOK") == 1; }));
    EXPECT_EQ(watcher.lines().filter("broken.ppt").size(), 1);
    write("broken.ppt", "deck that fails, changed");
    ASSERT_TRUE(
        watcher.waitFor([&] { return watcher.count(in + "/broken.pptCannot open file") == 2; }));

    QStringList decks{"a.ppt",       "slow.ppt",  "renamed.ppt", "new/deeper/x.ppt",
                      "moved/y.pps", "marker.ppt"};
    for (int i = 0; i < 200; ++i) {
        write(QStringLiteral("burst/d%1.ppt").arg(i), "burst deck " + QByteArray::number(i));
        decks.append(QStringLiteral("burst/d%1.ppt").arg(i));
    }
    ASSERT_TRUE(watcher.waitFor([&] {
        return watcher.lines().filter(QRegularExpression("/burst/d[0-9]+\\.pptOK$")).size() >=
                   200 &&
               watcher.idle();
    })) << watcher.status().value("state").toString().toStdString();
    EXPECT_EQ(watcher.lines().filter("/burst/").size(), 200) << "each once";
    EXPECT_EQ(watcher.status().value("lastFailure").toObject().value("deck"), in + "/broken.ppt");
    expectArchiveMatches(decks);

    ::kill(pid_t(watcher.process().processId()), SIGTERM);
    ASSERT_TRUE(watcher.process().waitForFinished(30000));
    EXPECT_EQ(watcher.process().exitCode(), 128 + SIGTERM);
    EXPECT_EQ(watcher.status().value("state"), "stopped");
}

// Killed outright mid-burst and started again, here as two watchers that
// share the tree by claims: no page is lost, none converted twice, and
// nothing half-made is left.
TEST_F(BatchWatchTest, KilledMidBurstItLosesNothingWhenStartedAgainAsTwo) {
    QStringList decks;
    const QStringList options{"--claim", "w", "--index", "--jobs", "2", "--out", out, in};
    {
        Watcher first(options + QStringList{"--settle", "0.5"}, temp.path() + "/first.json");
        ASSERT_TRUE(first.waitFor([&] { return first.status().value("state") == "idle"; }));
        for (int i = 0; i < 60; ++i) {
            write(QStringLiteral("d%1-slow.ppt").arg(i), "deck " + QByteArray::number(i));
            decks.append(QStringLiteral("d%1-slow.ppt").arg(i));
        }
        ASSERT_TRUE(first.waitFor([&] { return first.lines().size() >= 10; }));
        ::kill(pid_t(first.process().processId()), SIGKILL);
        first.process().waitForFinished();
    }
    Watcher second(options, temp.path() + "/second.json");
    Watcher third(options, temp.path() + "/third.json");
    ASSERT_TRUE(second.waitFor([&] {
        return pagesOnDisk().size() == 60 && second.idle() && third.idle() &&
               pagesIndexed().size() == 60;
    })) << pagesOnDisk().size()
        << " pages, " << pagesIndexed().size() << " indexed";
    for (const QString& deck : decks)
        EXPECT_LE(second.count(in + "/" + deck + "OK") + third.count(in + "/" + deck + "OK"), 1)
            << deck.toStdString();
    expectArchiveMatches(decks);
    EXPECT_TRUE(QDir(out)
                    .entryList({".deckvane-*"}, QDir::Dirs | QDir::Hidden)
                    .filter(QRegularExpression("^\\.deckvane-[0-9a-f]{16}-"))
                    .isEmpty())
        << "the killed watcher's staging is gone";
}

// Beyond the system's limit of watches (three, in a user namespace of its
// own), the watcher says so and finds what changes in the folders left
// unwatched by walking the tree.
TEST_F(BatchWatchTest, BeyondTheLimitOfWatchesItSaysSoAndWalksTheTree) {
    PosixFiles::makePath(in + "/a/b/c/d");
    Watcher watcher({"--rescan", "0.5", "--settle", "0.2", "--out", out, in},
                    temp.path() + "/status.json",
                    {"unshare", "--user", "--map-root-user", "sh", "-c",
                     "echo 3 >/proc/sys/user/max_inotify_watches && exec \"$0\" \"$@\""});
    if (!watcher.waitFor([&] { return watcher.status().value("state") == "idle"; }))
        GTEST_SKIP() << "no user namespace with limits of its own here";
    write("a/b/c/d/deep.ppt", "deck");
    ASSERT_TRUE(watcher.waitFor([&] { return watcher.count(in + "/a/b/c/d/deep.pptOK") == 1; }));
    EXPECT_EQ(watcher.status().value("unwatchedFolders"), 2);
    EXPECT_TRUE(QString(watcher.process().readAllStandardError())
                    .contains("leaves 2 folders unwatched: the tree is also walked every 0.5 s"));
}

} // namespace
