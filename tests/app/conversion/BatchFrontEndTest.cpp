#include "app/automation/LocalPath.h"
#include "app/automation/PosixFiles.h"
#include "tests/app/automation/QStringPrinter.h"
#include "tests/app/automation/TestOffice.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct BatchResult {
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

BatchResult runBatch(const QStringList& arguments, const TestOffice& office,
                     const QStringList& extraEnvironment = {}) {
    QProcess batch;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DECKVANE_OFFICE_PIPE", office.settings().pipeName);
    environment.insert("DECKVANE_OFFICE_PROFILE", office.settings().profileDir);
    environment.insert("LC_ALL", "C"); // English texts
    for (const QString& item : extraEnvironment)
        environment.insert(item.section('=', 0, 0), item.section('=', 1));
    batch.setProcessEnvironment(environment);
    batch.start(DECKVANE_BATCH, arguments);
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
    const QByteArray index = PosixFiles::readAll(temp.path() + "/o2/index.htm");
    EXPECT_EQ(index.count("<tr>"), 5);
    EXPECT_TRUE(index.contains("href=\"sub/same/a.htm\""));
    EXPECT_TRUE(index.contains(LocalPath::toNative(in + "/sub/same/a.ppt")));
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

// The shared corpus of real-world decks, when the checkout sits beside it.
TEST(BatchFrontEndTest, ConvertsTheSharedCorpus) {
    const QString corpus = TestOffice::sourceDir() + "/../shared/corpus";
    if (!QFileInfo(corpus).isDir())
        GTEST_SKIP() << "no corpus at " << corpus.toStdString();
    TestOffice office;
    QTemporaryDir temp;
    QStringList expected;
    QDirIterator it(corpus, {"*.ppt", "*.pps"}, QDir::Files | QDir::System,
                    QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.mid(corpus.size()).contains("/."))
            expected << path;
    }
    const BatchResult result = runBatch({"--out", temp.path(), corpus}, office);
    ASSERT_TRUE(result.exitCode == 0 || result.exitCode == 1) << result.errors.toStdString();
    EXPECT_EQ(result.lines.size(), expected.size());
    int converted = 0;
    for (const QString& path : expected) {
        const QStringList lines = result.lines.filter(path);
        ASSERT_GE(lines.size(), 1) << path.toStdString();
        const QString line = *std::find_if(lines.begin(), lines.end(), [&](const QString& l) {
            return l.startsWith(path) && !l.mid(path.size()).contains('/');
        });
        if (line != path + "OK")
            continue;
        ++converted;
        const QString name = QFileInfo(path).fileName();
        const QString base = name.left(name.indexOf('.'));
        EXPECT_TRUE(QFileInfo(temp.path() + "/" + base + ".htm").isFile()) << base.toStdString();
        EXPECT_FALSE(QDir(temp.path() + "/" + base + "_files").entryList({"img*.jpg"}).isEmpty())
            << base.toStdString();
    }
    EXPECT_GT(converted, 0);
    EXPECT_EQ(office.processesLeft(), 0);
}

} // namespace
