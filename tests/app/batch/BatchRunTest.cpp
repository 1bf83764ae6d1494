#include "tests/app/automation/QStringPrinter.h"
#include "tests/app/conversion/FakePresentationServer.h"
#include "tests/app/conversion/IndexedPages.h"

#include "app/automation/ImpressServer.h"
#include "app/batch/BatchRun.h"
#include "app/conversion/ArchiveIndex.h"
#include "app/conversion/ArchiveSearch.h"
#include "app/conversion/ConversionPool.h"
#include "app/conversion/DeckClaims.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <atomic>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utime.h>

namespace {

using namespace std::chrono_literals;

// Fake offices, one per worker. A deck named "...-<ms>.ppt" keeps its office
// busy that many milliseconds, so files finish out of walk order.
class FakeOffices {
public:
    ConversionPool::ServerFactory factory() {
        return [this](int worker) {
            auto server = std::make_shared<FakePresentationServer>();
            server->startable = startable;
            server->onOpen = [this](const QString& path) { busy(path); };
            std::lock_guard lock(mutex);
            servers[worker] = server;
            return server;
        };
    }

    void busy(const QString& path) {
        const int now = ++concurrent;
        for (int seen = peak; now > seen && !peak.compare_exchange_weak(seen, now);)
            ;
        const QString name = LocalPath::fileName(path);
        const qsizetype dash = name.lastIndexOf('-');
        const int ms = dash < 0 ? 0 : name.mid(dash + 1).section('.', 0, 0).toInt();
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        if (alsoOnOpen)
            alsoOnOpen(path);
        --concurrent;
    }

    std::shared_ptr<FakePresentationServer> server(int worker) {
        std::lock_guard lock(mutex);
        return servers.value(worker);
    }
    int made() {
        std::lock_guard lock(mutex);
        return int(servers.size());
    }

    bool startable = true;
    std::function<void(const QString&)> alsoOnOpen;
    std::atomic<int> concurrent{0};
    std::atomic<int> peak{0};
    std::mutex mutex;
    QMap<int, std::shared_ptr<FakePresentationServer>> servers;
};

class BatchRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        root = temp.path() + "/in";
        ASSERT_TRUE(PosixFiles::makePath(root));
    }

    void touch(const QString& relative) {
        PosixFiles::makePath(root + "/" + relative.section('/', 0, -2));
        // Each deck its own bytes: decks with the same bytes are converted once.
        PosixFiles::writeAll(root + "/" + relative, "deck " + relative.toUtf8());
    }

    struct Outcome {
        int status = -1;
        QStringList lines;
        QStringList errors;
    };

    Outcome run(QStringList arguments, FakeOffices& offices) {
        arguments << root;
        const BatchCommandLine options = BatchCommandLine::parse(arguments, temp.path());
        EXPECT_TRUE(options.error.isEmpty()) << options.error.toStdString();
        Outcome outcome;
        BatchRun::Sinks sinks;
        sinks.logLine = [&](const QString& line) { outcome.lines << line; };
        sinks.status = [](const QString&) {};
        sinks.progress = [](const QString&) {};
        sinks.error = [&](const QString& text) { outcome.errors << text; };
        BatchRun run(options, "OK", offices.factory(), sinks);
        outcome.status = run.run();
        return outcome;
    }

    // The file name of the deck a page was made from, as the stand-in
    // office titles its pages.
    static QString deckOf(const QString& page) {
        return ArchiveIndex::titleOf(PosixFiles::readAll(page));
    }

    QTemporaryDir temp;
    QString root;
};

TEST_F(BatchRunTest, TwoJobsPrintExactlyWhatOneJobPrints) {
    // The first decks are the slowest, so with two offices later files
    // finish first and must wait for their turn.
    touch("a-400.ppt");
    touch("b-10.ppt");
    touch("sub/c-250.ppt");
    touch("sub/d-0.ppt");
    touch("sub/deeper/e-30.pps");
    touch("sub/deeper/f-broken.ppt");
    touch("z-0.ppt");
    ASSERT_EQ(::mkfifo(LocalPath::toNative(root + "/sub/pipe.ppt").constData(), 0600), 0);

    FakeOffices one;
    const Outcome sequential = run({"--jobs", "1", "--out", temp.path() + "/o1"}, one);
    FakeOffices two;
    const Outcome parallel = run({"--jobs", "2", "--out", temp.path() + "/o2"}, two);

    ASSERT_EQ(sequential.lines.size(), 8) << sequential.lines.join('\n').toStdString();
    EXPECT_EQ(parallel.lines, sequential.lines);
    EXPECT_EQ(sequential.status, 1);
    EXPECT_EQ(parallel.status, 1);
    EXPECT_TRUE(parallel.lines.contains(root + "/sub/pipe.pptNot a regular file"));
    EXPECT_EQ(one.peak, 1);
    EXPECT_EQ(two.peak, 2) << "two offices must really convert at once";
    EXPECT_EQ(two.made(), 2);
    for (int worker = 0; worker < 2; ++worker) {
        EXPECT_FALSE(two.server(worker)->alive()) << "no office is left at the end";
        EXPECT_TRUE(two.server(worker)->calls().contains("Quit"));
        // Each office reads the decks and writes the pages, and nothing else.
        EXPECT_EQ(two.server(worker)->writable(), QStringList({temp.path() + "/o2"}));
        EXPECT_TRUE(two.server(worker)->readable().contains(root));
    }
}

TEST_F(BatchRunTest, DecksWithTheSamePageNeverRaceAndTheLaterInWalkOrderWins) {
    touch("x.first-300.ppt");
    touch("x.second-0.ppt");
    touch("y-0.ppt");
    FakeOffices offices;
    const Outcome outcome = run(
        {"--jobs", "3", "--masks", "*.first*,*.second*,y*", "--out", temp.path() + "/o"}, offices);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(deckOf(temp.path() + "/o/x.htm"), "x.second-0.ppt");
}

TEST_F(BatchRunTest, AnOfficeKilledMidFileIsReplacedAndTheOtherWorkerGoesOn) {
    touch("1-hang.ppt");
    for (int i = 2; i <= 7; ++i)
        touch(QStringLiteral("%1-20.ppt").arg(i));
    FakeOffices offices;
    ConversionPool::Settings settings;
    settings.workers = 2;
    settings.successText = "OK";
    ConversionPool pool(settings, offices.factory());
    const QString out = temp.path() + "/o";
    QStringList names = {"1-hang.ppt"};
    for (int i = 2; i <= 7; ++i)
        names << QStringLiteral("%1-20.ppt").arg(i);
    for (const QString& name : names)
        pool.submit(root + "/" + name, out, out + "/" + name.section('.', 0, 0) + ".htm");
    pool.close();

    // Whichever worker took the hanging deck has its office killed under it.
    std::shared_ptr<FakePresentationServer> victim;
    for (int i = 0; i < 400 && !victim; ++i) {
        std::this_thread::sleep_for(5ms);
        for (int worker = 0; worker < 2; ++worker) {
            auto server = offices.server(worker);
            if (server && server->calls().contains("Open " + root + "/1-hang.ppt"))
                victim = server;
        }
    }
    ASSERT_TRUE(victim);
    victim->kill();

    QStringList lines;
    for (int i = 0; i < 500 && !pool.finished(); ++i)
        for (const auto& line : pool.takeReady(20ms))
            lines << line.text;
    pool.join();
    ASSERT_EQ(lines.size(), 7) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith(root + "/1-hang.ppt"));
    EXPECT_FALSE(lines[0].endsWith("OK"));
    for (int i = 1; i < 7; ++i)
        EXPECT_EQ(lines[i], root + "/" + names[i] + "OK");
    EXPECT_EQ(victim->starts(), 2) << "the killed office is replaced for the next file";
    for (int worker = 0; worker < 2; ++worker)
        EXPECT_FALSE(offices.server(worker)->alive());
}

// Behind one slow deck the lines wait; taking them must let the workers on.
TEST_F(BatchRunTest, ASmallReorderWindowBehindASlowDeckStillFinishes) {
    FakeOffices offices;
    ConversionPool::Settings settings;
    settings.workers = 1;
    settings.successText = "OK";
    settings.reorderCapacity = 1;
    ConversionPool pool(settings, offices.factory());
    const QString out = temp.path() + "/o";
    for (int i = 0; i < 20; ++i) {
        const QString name = QStringLiteral("d%1-%2.ppt").arg(i).arg(i == 0 ? 100 : 0);
        touch(name);
        pool.submit(root + "/" + name, out, out + QStringLiteral("/d%1.htm").arg(i));
    }
    pool.close();
    int lines = 0;
    for (int i = 0; i < 150 && !pool.finished(); ++i)
        lines += int(pool.takeReady(20ms).size());
    EXPECT_TRUE(pool.finished());
    EXPECT_EQ(lines, 20);
    pool.requestStop();
}

// A claim that can be neither made nor found taken ends the run: no deck
// is converted without one.
TEST_F(BatchRunTest, AClaimThatCannotBeHadEndsThePool) {
    FakeOffices offices;
    ConversionPool::Settings settings;
    settings.claim = [](const QString&) -> DeckClaims::Outcome {
        throw FileError("Cannot write the claim 'x': Read-only file system");
    };
    ConversionPool pool(settings, offices.factory());
    touch("a.ppt");
    pool.submit(root + "/a.ppt", temp.path() + "/o", temp.path() + "/o/a.htm");
    pool.close();
    for (int i = 0; i < 100 && !pool.failed(); ++i)
        pool.takeReady(20ms);
    EXPECT_TRUE(pool.failed());
    EXPECT_EQ(pool.failure(), "Cannot write the claim 'x': Read-only file system");
    pool.requestStop();
    pool.join();
    EXPECT_FALSE(offices.server(0)->calls().join(' ').contains("Open"));
}

// What cannot be read fails and says why; a listing with failures, masks
// that overlap, an output folder that is a file: no silent success.
TEST_F(BatchRunTest, WhatCannotBeReadOrMadeFailsAndSaysWhy) {
    touch("open.ppt");
    touch("secret.ppt");
    touch("locked/inner.ppt");
    ::chmod(LocalPath::toNative(root + "/secret.ppt").constData(), 0);
    ::chmod(LocalPath::toNative(root + "/locked").constData(), 0);
    ::chmod(LocalPath::toNative(temp.path()).constData(), 0777);
    // Root reads everything: the run goes on as an ordinary user.
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        FakeOffices offices;
        const Outcome outcome =
            run({"--masks", "*.ppt,*.PPT", "--out", temp.path() + "/o"}, offices);
        const QByteArray text =
            QByteArray::number(outcome.status) + '\n' + outcome.lines.join('\n').toUtf8();
        ::_exit(::write(pipe[1], text.constData(), size_t(text.size())) == text.size() ? 0 : 3);
    }
    ::close(pipe[1]);
    QByteArray text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, n);
    ::close(pipe[0]);
    int status = -1;
    ::waitpid(child, &status, 0);
    ::chmod(LocalPath::toNative(root + "/locked").constData(), 0755);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    QStringList lines = QString::fromUtf8(text).split('\n');
    EXPECT_EQ(lines.takeFirst(), "1");
    lines.sort();
    EXPECT_EQ(lines, QStringList({root + "/lockedCannot read the folder: Permission denied",
                                  root + "/open.pptOK",
                                  root + "/secret.pptCannot read the file: Permission denied"}));

    FakeOffices offices;
    PosixFiles::writeAll(root + "/odd.ppt", "deck");
    ASSERT_EQ(::mkfifo(LocalPath::toNative(root + "/pipe.ppt").constData(), 0600), 0);
    EXPECT_EQ(run({"--list"}, offices).status, 1) << "a listing with a failure";
    PosixFiles::writeAll(temp.path() + "/file", "");
    const Outcome intoAFile = run({"--out", temp.path() + "/file"}, offices);
    EXPECT_EQ(intoAFile.status, 2);
    EXPECT_EQ(intoAFile.errors, QStringList({"Cannot make the output folder '" + temp.path() +
                                             "/file': a file of that name is in the way"}));
    PosixFiles::makePath(temp.path() + "/claimed");
    PosixFiles::writeAll(temp.path() + "/claimed/.deckvane-claims", "");
    const Outcome noClaims = run({"--claim", "x", "--out", temp.path() + "/claimed"}, offices);
    EXPECT_EQ(noClaims.status, 2);
    EXPECT_EQ(noClaims.errors, QStringList({"Cannot make the folder '" + temp.path() +
                                            "/claimed/.deckvane-claims': Not a directory"}));
    EXPECT_EQ(offices.made(), 0);
}

TEST_F(BatchRunTest, NoOfficeExitsWithTwoAndConvertsNothing) {
    touch("a.ppt");
    FakeOffices offices;
    offices.startable = false;
    const Outcome outcome = run({"--jobs", "2", "--out", temp.path() + "/o"}, offices);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_TRUE(outcome.lines.isEmpty());
    ASSERT_FALSE(outcome.errors.isEmpty());
    EXPECT_TRUE(outcome.errors.last().contains("not installed"));
}

TEST_F(BatchRunTest, ShardsOfATreePartitionItsFiles) {
    for (int i = 0; i < 30; ++i)
        touch(QStringLiteral("d%1/deck%2.ppt").arg(i % 4).arg(i));
    FakeOffices offices;
    const QStringList all = run({"--list"}, offices).lines;
    ASSERT_EQ(all.size(), 30);
    QStringList union_;
    for (int k = 1; k <= 3; ++k) {
        const QStringList shard =
            run({"--list", "--shard", QStringLiteral("%1/3").arg(k)}, offices).lines;
        EXPECT_GT(shard.size(), 0);
        for (const QString& line : shard)
            EXPECT_FALSE(union_.contains(line)) << line.toStdString();
        union_ << shard;
    }
    union_.sort();
    QStringList sorted = all;
    sorted.sort();
    EXPECT_EQ(union_, sorted);
    EXPECT_EQ(offices.made(), 0) << "listing needs no office";
}

// Up to date is a complete page made from the deck as it is now: an emptied
// page or one without its companion folder is made again, a deck dated in
// the future is not converted every time.
TEST_F(BatchRunTest, UpdateSkipsExactlyTheDecksWithACompletePageOfTheirPresentState) {
    for (const char* name : {"fresh", "stale", "emptied", "bare", "future", "noted", "touched"})
        touch(QStringLiteral("%1.ppt").arg(name));
    const auto setTime = [](const QString& path, time_t time) {
        const struct utimbuf times { time, time };
        ASSERT_EQ(::utime(LocalPath::toNative(path).constData(), &times), 0);
    };
    setTime(root + "/future.ppt", ::time(nullptr) + 365 * 86400);
    const QString out = temp.path() + "/o";
    FakeOffices first;
    ASSERT_EQ(run({"--index", "--out", out}, first).status, 0);

    // A page of an earlier version has no note: the page's date decides.
    PosixFiles::removeTree(out + "/fresh_files/" + HtmlPublisher::kSourceNote);
    setTime(root + "/fresh.ppt", 1000000);
    setTime(out + "/fresh.htm", 2000000);
    // The stale deck was changed after its page was made.
    setTime(out + "/stale.htm", 1000000);
    setTime(root + "/stale.ppt", 2000000);
    PosixFiles::writeAll(out + "/emptied.htm", "");
    PosixFiles::removeTree(out + "/bare_files");
    // A noted deck is up to date even when its page is older than it.
    setTime(out + "/noted.htm", 1000000);
    // ... but not once it is touched, even within the same second.
    struct stat touched {};
    ASSERT_EQ(::stat(LocalPath::toNative(root + "/touched.ppt").constData(), &touched), 0);
    const struct timespec nanosecondLater[2] = {
        touched.st_atim, {touched.st_mtim.tv_sec, touched.st_mtim.tv_nsec ^ 1}};
    ASSERT_EQ(::utimensat(AT_FDCWD, LocalPath::toNative(root + "/touched.ppt").constData(),
                          nanosecondLater, 0),
              0);
    setTime(out + "/touched.htm", 1000000);
    touch("new.ppt");

    FakeOffices offices;
    Outcome outcome = run({"--update", "--out", out}, offices);
    EXPECT_EQ(outcome.status, 0);
    QStringList expected;
    for (const char* name :
         {"bare.pptOK", "emptied.pptOK", "fresh.pptUp to date", "future.pptUp to date", "new.pptOK",
          "noted.pptUp to date", "stale.pptOK", "touched.pptOK"})
        expected << root + "/" + name;
    outcome.lines.sort();
    EXPECT_EQ(outcome.lines, expected);

    // Nothing changed since: nothing converted, and no office started; the
    // index learns of the pages the run without --index published.
    FakeOffices again;
    outcome = run({"-u", "--index", "--out", out}, again);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.lines.filter("Up to date").size(), 8);
    EXPECT_EQ(again.made(), 0);
    EXPECT_EQ(IndexedPages(out), QStringList({"bare.htm", "emptied.htm", "fresh.htm", "future.htm",
                                              "new.htm", "noted.htm", "stale.htm", "touched.htm"}));
}

TEST_F(BatchRunTest, RunsOfOneClaimNameShareTheDecksAndTakeOverADeadRunsDeck) {
    // Very different sizes, so that a fixed split would leave one run alone.
    QStringList decks = {"big-600.ppt", "sub/mid-200.ppt"};
    for (int i = 0; i < 12; ++i)
        decks << QStringLiteral("sub/%1/small%2-20.ppt").arg(i % 3).arg(i);
    for (const QString& deck : decks)
        touch(deck);
    const QString out = temp.path() + "/o";
    qputenv("DECKVANE_CLAIM_EXPIRY", "0.3");
    // A run that claimed a deck and died: its claim stays, nobody touches it.
    std::make_unique<DeckClaims>(out, "job", 300ms)
        ->claim(
            {"sub/1/small1-20.ppt", root + "/sub/1/small1-20.ppt", out + "/sub/1/small1-20.htm"});

    std::vector<Outcome> outcomes(3);
    std::vector<std::thread> runs;
    for (Outcome& outcome : outcomes)
        runs.emplace_back([&] {
            FakeOffices offices;
            outcome = run({"--claim", "job", "--tree", "--jobs", "1", "--out", out}, offices);
        });
    for (std::thread& thread : runs)
        thread.join();
    qunsetenv("DECKVANE_CLAIM_EXPIRY");

    QStringList lines;
    for (const Outcome& outcome : outcomes) {
        EXPECT_EQ(outcome.status, 0);
        lines << outcome.lines;
    }
    lines.sort();
    QStringList expected;
    for (const QString& deck : decks)
        expected << root + "/" + deck + "OK";
    expected.sort();
    EXPECT_EQ(lines, expected) << "each deck once, the dead run's deck too";

    // The next night, under the same name: only what changed since.
    touch("sub/mid-200.ppt");
    PosixFiles::writeAll(root + "/sub/mid-200.ppt", "changed");
    PosixFiles::removeTree(out + "/sub/0/small0-20_files");
    FakeOffices offices;
    Outcome next = run({"--claim", "job", "--tree", "--out", out}, offices);
    next.lines.sort();
    EXPECT_EQ(next.lines,
              QStringList({root + "/sub/0/small0-20.pptOK", root + "/sub/mid-200.pptOK"}));
    EXPECT_EQ(next.status, 0);
}

// What lies below a folder: every path with its bytes and time stamp.
QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> state;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat info {};
        ::lstat(LocalPath::toNative(path).constData(), &info);
        state.insert(path, QByteArray::number(qint64(info.st_mtim.tv_nsec)) +
                               (S_ISREG(info.st_mode) ? PosixFiles::readAll(path) : ""));
    }
    return state;
}

// Someone who may write into the output folder and nowhere else (a shared
// web root) puts links where Deckvane's own files and folders belong: none
// is followed, nothing outside the output folder changes or is read, and
// the run says what it refused.
TEST_F(BatchRunTest, LinksInTheOutputFolderAreNeverFollowed) {
    const QString out = temp.path() + "/out";
    const QString elsewhere = temp.path() + "/elsewhere";
    // What lies there: claims of a run long over, folders with hex names,
    // a private folder of pages, a file.
    const QString oldClaim = elsewhere + "/claims/old/" + QString(40, 'a') + ".0";
    PosixFiles::makePath(elsewhere + "/claims/old");
    PosixFiles::writeAll(oldClaim, "host 1\n");
    const utimbuf weekAgo{::time(nullptr) - 8 * 86400, ::time(nullptr) - 8 * 86400};
    for (const QString& path : {oldClaim, elsewhere + "/claims/old"})
        ::utime(LocalPath::toNative(path).constData(), &weekAgo);
    for (const char* hex : {"/search/2024", "/search/cafe", "/tree"})
        PosixFiles::makePath(elsewhere + hex);
    PosixFiles::makePath(elsewhere + "/private/p_files");
    PosixFiles::writeAll(elsewhere + "/private/p.htm", "<title>Private</title>");
    PosixFiles::writeAll(elsewhere + "/private/p_files/img0.html", "<html></html>");
    PosixFiles::writeAll(elsewhere + "/private/p_files/text0.html", "PRIVATE-WORDS</html>");
    PosixFiles::writeAll(elsewhere + "/victim", "theirs\n");
    touch("a.ppt");
    touch("sub/b.ppt");
    PosixFiles::makePath(out);
    const auto link = [&](const QString& target, const QString& name) {
        ASSERT_EQ(::symlink(LocalPath::toNative(target).constData(),
                            LocalPath::toNative(out + "/" + name).constData()),
                  0);
    };
    link(elsewhere + "/claims", ".deckvane-claims");
    link(elsewhere + "/search", "index-search");
    link(elsewhere + "/lock", ".deckvane.lock");
    link(elsewhere + "/index-lock", ".deckvane-index.lock");
    link(elsewhere + "/tree", "sub");
    link(elsewhere + "/private", "zz");
    const QMap<QString, QByteArray> before = snapshot(elsewhere);
    const auto refusal = [&](const QString& name) {
        return "'" + out + "/" + name +
               "' is a symbolic link; links in the output folder are never followed";
    };
    FakeOffices offices;

    const Outcome claimed = run({"--claim", "r", "--out", out}, offices);
    EXPECT_EQ(claimed.status, 2);
    EXPECT_EQ(claimed.errors, QStringList{refusal(".deckvane-claims")});
    // Every deck fails on a link (the lock, the tree's folder), and so does
    // the index.
    const Outcome locked = run({"--tree", "--index", "--out", out}, offices);
    EXPECT_EQ(locked.status, 1);
    EXPECT_EQ(locked.lines, QStringList({root + "/a.ppt" + refusal(".deckvane.lock"),
                                         root + "/sub/b.ppt" + refusal("sub")}));
    EXPECT_EQ(locked.errors, QStringList{refusal(".deckvane-index.lock")});
    for (const char* lock : {"/.deckvane.lock", "/.deckvane-index.lock"})
        PosixFiles::removeTree(out + lock);
    const Outcome indexed = run({"--tree", "--index", "--out", out}, offices);
    EXPECT_EQ(indexed.lines.first(), root + "/a.pptOK");
    EXPECT_EQ(indexed.errors, QStringList{refusal("index-search")});
    PosixFiles::removeTree(out + "/index-search");
    run({"--tree", "--index", "--out", out}, offices);
    EXPECT_EQ(ArchiveIndex::scan(out).size(), 1) << "the pages the link leads to are not listed";
    QDirIterator data(out + "/index-search", QDir::Files, QDirIterator::Subdirectories);
    while (data.hasNext())
        EXPECT_FALSE(PosixFiles::readAll(data.next()).contains("PRIVATE"))
            << data.filePath().toStdString();

    // A claim swapped for a link while its deck converts is not written
    // through when the deck is done.
    PosixFiles::removeTree(out + "/.deckvane-claims");
    offices.alsoOnOpen = [&](const QString&) {
        const QString folder = out + "/.deckvane-claims/r";
        for (const QString& name : PosixFiles::names(folder)) {
            PosixFiles::rename(folder + "/" + name, folder + "/" + name + ".moved");
            ::symlink(LocalPath::toNative(elsewhere + "/victim").constData(),
                      LocalPath::toNative(folder + "/" + name).constData());
        }
    };
    EXPECT_EQ(run({"--claim", "r", "--masks", "a.ppt", "--out", out}, offices).lines,
              QStringList{root + "/a.pptOK"});
    EXPECT_TRUE(snapshot(elsewhere) == before) << "something outside the output folder changed";
}

// No page, companion folder or index takes another's name: a deck in
// another deck's "_files" folder, a deck called "index", flat or kept.
TEST_F(BatchRunTest, TreeKeepsDecksOfTheSameNameApartAndNoNameIsTakenTwice) {
    touch("north/report.ppt");
    touch("south/east/report.ppt");
    touch("report.pps");
    touch("talks/a.ppt");
    touch("talks/a_files/c.ppt");
    touch("index.ppt");
    touch("sub/index.pps");
    // Folders named as the archive's own files: never its data or its script.
    touch("index-search/2019/talk.ppt");
    touch("index.js/deck.ppt");
    const QString out = temp.path() + "/o";
    const QString flat = temp.path() + "/flat";
    for (int round = 0; round < 2; ++round) {
        FakeOffices offices;
        const Outcome kept = run({"--tree", "--index", "-u", "--jobs", "2", "--out", out}, offices);
        EXPECT_EQ(kept.status, 0) << kept.errors.join('\n').toStdString();
        EXPECT_EQ(kept.lines.filter(round == 0 ? "OK" : "Up to date").size(), 9);
        EXPECT_EQ(run({"--index", "--out", flat}, offices).status, 0);
    }
    EXPECT_EQ(deckOf(out + "/index-search_/2019/talk.htm"), "talk.ppt");
    EXPECT_EQ(deckOf(out + "/index.js_/deck.htm"), "deck.ppt");
    EXPECT_EQ(deckOf(out + "/north/report.htm"), "report.ppt");
    EXPECT_EQ(deckOf(out + "/south/east/report.htm"), "report.ppt");
    EXPECT_EQ(deckOf(out + "/report.htm"), "report.pps");
    EXPECT_EQ(deckOf(out + "/talks/a_files_/c.htm"), "c.ppt");
    EXPECT_TRUE(HtmlPublisher::isComplete(out + "/talks/a.htm"));
    EXPECT_EQ(deckOf(out + "/index.htm"), "index.ppt");
    EXPECT_EQ(deckOf(flat + "/index.htm"), "index.pps") << "the later deck, not the index";
    EXPECT_EQ(IndexedPages(out).size(), 9);
    EXPECT_EQ(IndexedPages(flat).size(), 6);
}

TEST(BatchRunJobsTest, DefaultIsOneOfficePerCoreAsFarAsMemoryHolds) {
    const qint64 ceiling = ImpressServer::kMemoryLimit;
    EXPECT_EQ(BatchRun::defaultJobs(2, 20 * ceiling), 2);
    EXPECT_EQ(BatchRun::defaultJobs(16, 3 * ceiling + 1), 3);
    EXPECT_EQ(BatchRun::defaultJobs(4, ceiling / 2), 1) << "always at least one";
    EXPECT_EQ(BatchRun::defaultJobs(8, -1), 8) << "memory unknown: the cores decide";
    EXPECT_EQ(BatchRun::defaultJobs(0, -1), 1);
    // Each office may take 2 GiB, so 4 GiB hold two; it is replaced at
    // 768 MB, so an office of a fresh 300 MB is not worn.
    EXPECT_EQ(BatchRun::defaultJobs(16, 4ll << 30), 2);
    EXPECT_FALSE(OfficeRecyclePolicy().due(1, 300ll << 20));
    EXPECT_TRUE(OfficeRecyclePolicy().due(1, 800ll << 20));
}

} // namespace
