#include "platform/PosixFiles.h"
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
    result = runBatch({"--out", temp.path() + "/o", temp.path()}, office,
                      {"DECKVANE_LIBREOFFICE_DIR=/nonexistent/office"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.errors.contains("LibreOffice is not installed"))
        << result.errors.toStdString();
    EXPECT_TRUE(result.lines.isEmpty());
}

TEST(BatchFrontEndTest, AttachesToARunningOfficeConvertsAndQuitsIt) {
    TestOffice office;
    QTemporaryDir temp;
    office.makeDeck(temp.path() + "/in/deck.ppt");
    PosixFiles::writeAll(temp.path() + "/in/bad.pps", "not a deck");
    auto server = office.makeServer();
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
