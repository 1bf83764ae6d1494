#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"
#include "tests/app/automation/QStringPrinter.h"
#include "tests/app/automation/SilentPipe.h"
#include "tests/app/automation/TestOffice.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

struct BatchResult {
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

// Starts deckvane-batch against the test's office settings. An item
// "NAME=" in extraEnvironment removes NAME.
void startBatch(QProcess& batch, const QStringList& arguments, const TestOffice& office,
                const QStringList& extraEnvironment = {}, const QString& workingFolder = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DECKVANE_OFFICE_PIPE", office.settings().pipeName);
    environment.insert("DECKVANE_OFFICE_PROFILE", office.settings().profileDir);
    environment.insert("LC_ALL", "C"); // English texts
    for (const QString& item : extraEnvironment) {
        if (item.endsWith('='))
            environment.remove(item.chopped(1));
        else
            environment.insert(item.section('=', 0, 0), item.section('=', 1));
    }
    batch.setProcessEnvironment(environment);
    if (!workingFolder.isEmpty())
        batch.setWorkingDirectory(workingFolder);
    batch.start(DECKVANE_BATCH, arguments);
}

BatchResult finishBatch(QProcess& batch) {
    BatchResult result;
    if (!batch.waitForFinished(600000)) {
        batch.kill();
        return result;
    }
    result.exitCode = batch.exitStatus() == QProcess::NormalExit ? batch.exitCode() : -1;
    result.lines = QString::fromUtf8(batch.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    result.errors = QString::fromUtf8(batch.readAllStandardError());
    return result;
}

BatchResult runBatch(const QStringList& arguments, const TestOffice& office,
                     const QStringList& extraEnvironment = {}, const QString& workingFolder = {}) {
    QProcess batch;
    startBatch(batch, arguments, office, extraEnvironment, workingFolder);
    return finishBatch(batch);
}

// Staging folders left in an output folder.
QStringList stagingIn(const QString& folder) {
    return QDir(folder).entryList({".deckvane-*"}, QDir::AllEntries | QDir::Hidden);
}

TEST(BatchFrontEndTest, BadUsageAndAMissingOfficeExitWithTwo) {
    TestOffice office;
    QTemporaryDir temp;
    BatchResult result = runBatch({}, office);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.errors.contains("Usage: deckvane-batch"));
    EXPECT_EQ(runBatch({temp.path() + "/missing"}, office).exitCode, 2);
    // The office is wanted only once there is a deck to convert; then every
    // office of the run fails to start and nothing is converted.
    PosixFiles::makePath(temp.path() + "/in");
    result = runBatch({"--out", temp.path() + "/o", temp.path() + "/in"}, office,
                      {"DECKVANE_LIBREOFFICE_DIR=/nonexistent/office"});
    EXPECT_EQ(result.exitCode, 0) << "nothing to convert, no office needed";
    PosixFiles::writeAll(temp.path() + "/in/a.ppt", "deck");
    for (const char* jobs : {"1", "2"}) {
        result = runBatch({"--jobs", jobs, "--out", temp.path() + "/o", temp.path() + "/in"},
                          office, {"DECKVANE_LIBREOFFICE_DIR=/nonexistent/office"});
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.errors.contains("LibreOffice is not installed"))
            << result.errors.toStdString();
        EXPECT_TRUE(result.lines.isEmpty());
    }
    // A log written to a full disk is lost: said, and no success.
    QProcess full;
    full.setStandardOutputFile("/dev/full");
    startBatch(full, {"--list", temp.path() + "/in"}, office);
    result = finishBatch(full);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.errors.contains("the log could not be written to standard output: No space"))
        << result.errors.toStdString();
}

// Walk-order output whatever the number of offices; pages kept apart in the
// tree; the index of what is there; every office gone at the end.
TEST(BatchFrontEndTest, TwoOfficesPrintWhatOneOfficePrintsAndLeaveNone) {
    TestOffice office;
    QTemporaryDir temp;
    const QString in = temp.path() + "/in";
    office.makeDeck(in + "/a.ppt");
    const QByteArray deck = PosixFiles::readAll(in + "/a.ppt");
    PosixFiles::makePath(in + "/sub/same");
    for (const char* name : {"sub/b.ppt", "sub/c.pps", "z.ppt", "sub/same/a.ppt"})
        PosixFiles::writeAll(in + "/" + name, deck);
    PosixFiles::writeAll(in + "/sub/bad.ppt", "not a deck");

    const BatchResult one = runBatch({"--jobs", "1", "--out", temp.path() + "/o1", in}, office);
    const BatchResult two =
        runBatch({"--jobs", "2", "--tree", "--index", "--out", temp.path() + "/o2", in}, office);
    ASSERT_EQ(one.lines.size(), 6) << one.errors.toStdString();
    EXPECT_EQ(two.lines, one.lines) << two.errors.toStdString();
    EXPECT_EQ(one.exitCode, 1);
    EXPECT_EQ(two.exitCode, 1);
    EXPECT_TRUE(two.errors.contains("with 2 offices")) << two.errors.toStdString();
    for (const char* page : {"a", "sub/b", "sub/c", "z", "sub/same/a"})
        EXPECT_TRUE(PosixFiles::exists(temp.path() + "/o2/" + page + "_files/img0.jpg")) << page;
    // The five decks have the same bytes: one converted, the other pages
    // made from it (sharing its pictures) with their own names and links.
    const auto inode = [&](const QString& file) {
        struct stat info {};
        return ::stat(LocalPath::toNative(temp.path() + "/o2/" + file).constData(), &info) == 0
                   ? info.st_ino
                   : ino_t(0);
    };
    EXPECT_EQ(inode("sub/same/a_files/img0.jpg"), inode("a_files/img0.jpg"));
    EXPECT_EQ(inode("z_files/img1.jpg"), inode("a_files/img1.jpg"));
    EXPECT_TRUE(
        PosixFiles::readAll(temp.path() + "/o2/sub/c.htm").contains("href=\"c_files/img0.html\""));
    EXPECT_TRUE(PosixFiles::readAll(temp.path() + "/o2/sub/c_files/text0.html")
                    .contains("href=\"../c.htm\""));
    EXPECT_EQ(PosixFiles::readAll(temp.path() + "/o2/sub/c_files/img1.html"),
              PosixFiles::readAll(temp.path() + "/o1/c_files/img1.html"))
        << "the same page as the deck's own conversion";
    // The index: its page, and one segment of search data with every page.
    EXPECT_TRUE(PosixFiles::exists(temp.path() + "/o2/index.html"));
    const QString manifest = PosixFiles::readAll(temp.path() + "/o2/index-search/manifest.js");
    const auto segment = QRegularExpression("\"decks\":5,\"id\":\"([0-9a-f]+)\"").match(manifest);
    ASSERT_TRUE(segment.hasMatch()) << manifest.toStdString();
    const QByteArray meta =
        PosixFiles::readAll(temp.path() + "/o2/index-search/" + segment.captured(1) + "/meta.js");
    for (const char* page : {"a", "sub/b", "sub/c", "z", "sub/same/a"})
        EXPECT_TRUE(meta.contains("\"" + QByteArray(page) + ".htm\"")) << page;
    EXPECT_TRUE(meta.contains(LocalPath::toNative(in + "/sub/same/a.ppt")));
    EXPECT_EQ(office.processesLeft(), 0);
}

TEST(BatchFrontEndTest, AttachesToARunningOfficeConvertsAndQuitsIt) {
    TestOffice office;
    QTemporaryDir temp;
    office.makeDeck(temp.path() + "/in/deck.ppt");
    PosixFiles::writeAll(temp.path() + "/in/bad.pps", "not a deck");
    auto server = office.makeServer(true);
    server->start();
    const BatchResult result =
        runBatch({"--out", temp.path() + "/html", temp.path() + "/in"}, office);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.lines.size(), 2);
    EXPECT_TRUE(result.lines.contains(temp.path() + "/in/deck.pptOK"))
        << result.lines.join('\n').toStdString();
    EXPECT_TRUE(result.errors.contains("2 files, 1 failed"));
    EXPECT_TRUE(PosixFiles::exists(temp.path() + "/html/deck_files/img0.jpg"));
    // The batch told the office it attached to to quit, as the window does.
    server->finish();
    EXPECT_EQ(office.processesLeft(), 0);
}

TEST(BatchFrontEndTest, RelativePathsListingAndASilentPerUserPipe) {
    TestOffice office;
    QTemporaryDir temp;
    office.makeDeck(temp.path() + "/in/sub/deck.ppt");
    // Listing needs no office at all, and names files by full paths.
    BatchResult result = runBatch({"--list", "--out", "never", "in"}, office,
                                  {"DECKVANE_LIBREOFFICE_DIR=/nonexistent/office"}, temp.path());
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(result.lines, QStringList({temp.path() + "/in/sub/deck.ppt"}));
    EXPECT_FALSE(QFileInfo::exists(temp.path() + "/never"));
    // Something holds the per-user pipe and never answers: the run starts
    // an office of its own after a short wait and converts.
    SilentPipe squatter(office.settings().pipeName);
    ASSERT_TRUE(squatter.bound());
    QElapsedTimer clock;
    clock.start();
    result = runBatch({"--out", "./relout", "."}, office, {}, temp.path() + "/in");
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(result.lines, QStringList({temp.path() + "/in/sub/deck.pptOK"}));
    EXPECT_TRUE(PosixFiles::exists(temp.path() + "/in/relout/deck_files/img0.jpg"));
    EXPECT_LT(clock.elapsed(), 60000);
    EXPECT_EQ(office.processesLeft(), 0);
}

TEST(BatchFrontEndTest, AnInterruptedOrKilledBatchLeavesNoOfficeAndNoStaging) {
    TestOffice office;
    QTemporaryDir temp;
    office.makeDeck(temp.path() + "/in/a.ppt");
    for (int i = 0; i < 30; ++i)
        PosixFiles::writeAll(temp.path() + QStringLiteral("/in/copy%1.ppt").arg(i),
                             PosixFiles::readAll(temp.path() + "/in/a.ppt"));
    for (const int signal : {SIGTERM, SIGKILL}) {
        QProcess batch;
        startBatch(batch, {"--out", temp.path() + "/out", temp.path() + "/in"}, office);
        // Mid-run: the office is up and converting.
        for (int i = 0; i < 1200 && !batch.canReadLine(); ++i)
            batch.waitForReadyRead(100);
        ASSERT_GT(office.processesLeft(), 0);
        ::kill(pid_t(batch.processId()), signal);
        ASSERT_TRUE(batch.waitForFinished(30000));
        if (signal == SIGTERM) {
            EXPECT_EQ(batch.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(batch.exitCode(), 128 + SIGTERM);
            EXPECT_TRUE(stagingIn(temp.path() + "/out").isEmpty()) << "removed on the signal";
        }
        int left = office.processesLeft();
        for (int i = 0; i < 50 && left > 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            left = office.processesLeft();
        }
        EXPECT_EQ(left, 0) << "after signal " << signal;
    }
}

// A file system of 2 MB that the test fills up, where mounting is allowed.
class SmallDisk {
public:
    explicit SmallDisk(const QString& mountPoint) : m_mountPoint(mountPoint) {
        PosixFiles::makePath(mountPoint);
        m_mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=2m,mode=0755", "tmpfs",
                                                mountPoint}) == 0;
    }
    ~SmallDisk() {
        if (m_mounted)
            QProcess::execute("umount", {"-l", m_mountPoint});
    }
    bool mounted() const { return m_mounted; }
    // Leaves about `room` bytes free.
    void fill(qint64 room) const {
        const QByteArray path = QFile::encodeName(m_mountPoint + "/filler");
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const QByteArray block(65536, 'x');
        qint64 written = 0;
        for (ssize_t n = 0; (n = ::write(fd, block.constData(), size_t(block.size()))) > 0;)
            written += n;
        for (ssize_t n = 0; (n = ::write(fd, block.constData(), 1)) > 0;)
            written += n;
        ::ftruncate(fd, std::max<qint64>(0, written - room));
        ::close(fd);
    }

private:
    QString m_mountPoint;
    bool m_mounted = false;
};

TEST(BatchFrontEndTest, AFullDiskOrAnEmptyFileFailsTheFileAndKeepsTheEarlierPage) {
    TestOffice office;
    QTemporaryDir temp;
    SmallDisk disk(temp.path() + "/disk");
    if (!disk.mounted())
        GTEST_SKIP() << "no small file system could be mounted here (needs root)";
    office.makeDeck(temp.path() + "/in/deck.ppt");
    PosixFiles::writeAll(temp.path() + "/in/zero.ppt", "");
    const QString out = temp.path() + "/disk/out";
    BatchResult result =
        runBatch({"--masks", "deck.ppt", "--out", out, temp.path() + "/in"}, office);
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    // An earlier page for the empty file's name too.
    PosixFiles::writeAll(out + "/zero.htm", "<html>earlier</html>");
    QHash<QString, QByteArray> before;
    QDirIterator files(out, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        before.insert(path, PosixFiles::readAll(path));
    }
    disk.fill(12 * 1024);
    result = runBatch({"--out", out, temp.path() + "/in"}, office);
    EXPECT_EQ(result.exitCode, 1) << result.errors.toStdString();
    ASSERT_EQ(result.lines.size(), 2) << result.lines.join('\n').toStdString();
    EXPECT_TRUE(result.lines.contains(temp.path() + "/in/zero.pptThe file is empty"));
    const QString deckLine = result.lines.filter("/deck.ppt").value(0);
    EXPECT_FALSE(deckLine.endsWith("OK")) << deckLine.toStdString();
    QHash<QString, QByteArray> after;
    QDirIterator again(out, QDir::Files, QDirIterator::Subdirectories);
    while (again.hasNext()) {
        const QString path = again.next();
        after.insert(path, PosixFiles::readAll(path));
    }
    EXPECT_TRUE(after == before) << "the earlier pages stay byte for byte";
    EXPECT_TRUE(stagingIn(out).isEmpty());
    EXPECT_EQ(office.processesLeft(), 0);
}

// The shared corpus of real-world decks, when the checkout sits beside it:
// every deck converts, under the C locale and under a UTF-8 locale the
// system does not have, in two runs at once that share nothing but the
// per-user pipe (which nobody listens on).
TEST(BatchFrontEndTest, ConvertsTheWholeSharedCorpusInAnyLocaleTwoRunsAtOnce) {
    const QString corpus = TestOffice::sourceDir() + "/../shared/corpus";
    if (!QFileInfo(corpus).isDir())
        GTEST_SKIP() << "no corpus at " << corpus.toStdString();
    TestOffice office;
    QTemporaryDir temp;
    QStringList expected;
    QDirIterator it(corpus, {"*.ppt", "*.pps"}, QDir::Files | QDir::System,
                    QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
    while (it.hasNext()) {
        const QString path = QFileInfo(it.next()).absoluteFilePath();
        if (!path.mid(corpus.size()).contains("/."))
            expected << path;
    }
    ASSERT_FALSE(expected.isEmpty());
    const QString absoluteCorpus = QFileInfo(corpus).absoluteFilePath();
    const QList<QStringList> locales{{"LC_ALL=C"},
                                     {"LC_ALL=", "LC_CTYPE=", "LC_MESSAGES=", "LANG=xx_YY.UTF-8"}};
    QProcess runs[2];
    for (int i = 0; i < 2; ++i)
        startBatch(runs[i],
                   {"--out", temp.path() + QStringLiteral("/out%1").arg(i), absoluteCorpus}, office,
                   locales[i]);
    for (int i = 0; i < 2; ++i) {
        const BatchResult result = finishBatch(runs[i]);
        const QString where = locales[i].join(' ');
        EXPECT_EQ(result.exitCode, 0) << where.toStdString() << "\n"
                                      << result.lines.join('\n').toStdString();
        EXPECT_EQ(result.lines.size(), expected.size()) << where.toStdString();
        const QString out = temp.path() + QStringLiteral("/out%1").arg(i);
        for (const QString& path : expected) {
            EXPECT_TRUE(result.lines.contains(path + "OK"))
                << where.toStdString() << ": " << path.toStdString();
            const QString name = QFileInfo(path).fileName();
            const QString base = name.left(name.indexOf('.'));
            EXPECT_TRUE(QFileInfo(out + "/" + base + ".htm").isFile()) << base.toStdString();
            EXPECT_FALSE(QDir(out + "/" + base + "_files").entryList({"img*.jpg"}).isEmpty())
                << base.toStdString();
        }
    }
    EXPECT_EQ(office.processesLeft(), 0);
}

} // namespace
