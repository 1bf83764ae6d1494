#include "app/automation/HtmlPublisher.h"
#include "app/automation/OfficeProfile.h"
#include "app/automation/ReaderPages.h"
#include "app/conversion/ArchiveNames.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"
#include "tests/app/automation/HostileDecks.h"
#include "tests/app/automation/QStringPrinter.h"
#include "tests/app/automation/SilentPipe.h"
#include "tests/app/automation/TestOffice.h"
#include "tests/app/conversion/IndexedPages.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>
#include <netinet/in.h>
#include <sys/socket.h>
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
    QStringList names = QDir(folder).entryList({".deckvane-*"}, QDir::AllEntries | QDir::Hidden);
    for (const QString& own : ArchiveNames::all())
        names.removeAll(own);
    return names;
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
        EXPECT_TRUE(result.errors.contains(" with no office ")) << result.errors.toStdString();
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
    // A page made from another deck's is byte for byte the page converting
    // the deck alone publishes, at the same depth below an archive: every
    // file, the note naming the deck and the PDF (dated by the office) aside.
    PosixFiles::makePath(temp.path() + "/alone/sub");
    PosixFiles::writeAll(temp.path() + "/alone/sub/c.pps", deck);
    ASSERT_EQ(runBatch({"--tree", "--index", "--out", temp.path() + "/o3", temp.path() + "/alone"},
                       office)
                  .exitCode,
              0);
    QStringList files{"c.htm"};
    for (const QString& name : PosixFiles::names(temp.path() + "/o3/sub/c_files"))
        if (name != ".deckvane-source")
            files << "c_files/" + name;
    EXPECT_GE(files.size(), 7);
    for (const QString& file : files)
        if (!file.endsWith(".pdf")) {
            EXPECT_EQ(PosixFiles::readAll(temp.path() + "/o2/sub/" + file),
                      PosixFiles::readAll(temp.path() + "/o3/sub/" + file))
                << file.toStdString();
        }
    EXPECT_EQ(PosixFiles::names(temp.path() + "/o2/sub/c_files").size(), files.size());
    EXPECT_TRUE(files.contains("c_files/deck.pdf"));
    EXPECT_TRUE(files.contains("c_files/hdimg1.jpg"));
    // Sharp pictures drawn from the deck's PDF, which is offered too; without
    // the drawing program the office draws them, and no PDF comes out.
    EXPECT_EQ(QImage(temp.path() + "/o1/z_files/hdimg1.jpg").width(), 1600);
    EXPECT_EQ(QImage(temp.path() + "/o1/z_files/img1.jpg").width(), 800);
    EXPECT_TRUE(PosixFiles::readAll(temp.path() + "/o1/z_files/deck.pdf").startsWith("%PDF-"));
    const BatchResult plain = runBatch({"--masks", "z.ppt", "--out", temp.path() + "/o4", in},
                                       office, {"DECKVANE_RASTERIZER=/nonexistent"});
    EXPECT_EQ(plain.lines, QStringList{in + "/z.pptOK"});
    EXPECT_EQ(QImage(temp.path() + "/o4/z_files/img1.jpg").width(), 800);
    EXPECT_FALSE(PosixFiles::exists(temp.path() + "/o4/z_files/hdimg1.jpg"));
    EXPECT_FALSE(PosixFiles::exists(temp.path() + "/o4/z_files/deck.pdf"));
    EXPECT_TRUE(HtmlPublisher::isComplete(temp.path() + "/o4/z.htm"));
    EXPECT_TRUE(PosixFiles::readAll(temp.path() + "/o4/z_files/img1.html").contains("Slide 2 of"));
    // A drawing that fails is found out once the office has gone on to the
    // next deck: the office exports the deck again with its own pictures.
    const QString failing = temp.path() + "/failing-drawer";
    PosixFiles::writeAll(failing, "#!/bin/sh\nexit 3\n");
    QFile::setPermissions(failing, QFile::ReadOwner | QFile::ExeOwner);
    const BatchResult redone =
        runBatch({"--jobs", "1", "--masks", "z.ppt,b.ppt", "--out", temp.path() + "/o5", in},
                 office, {"DECKVANE_RASTERIZER=" + failing});
    EXPECT_EQ(redone.lines, QStringList({in + "/z.pptOK", in + "/sub/b.pptOK"}));
    for (const char* page : {"z", "b"}) {
        const QString files = temp.path() + "/o5/" + page + "_files/";
        EXPECT_TRUE(HtmlPublisher::isComplete(temp.path() + "/o5/" + page + ".htm")) << page;
        EXPECT_EQ(QImage(files + "img1.jpg").width(), 800) << page;
        EXPECT_FALSE(PosixFiles::exists(files + "hdimg1.jpg")) << page;
        EXPECT_FALSE(PosixFiles::exists(files + "deck.pdf")) << page;
    }
    // The index: its page, and one segment of search data with every page.
    EXPECT_TRUE(PosixFiles::exists(temp.path() + "/o2/index.html"));
    const QString manifest = PosixFiles::readAll(temp.path() + "/o2/index-search/manifest.js");
    const auto segment = QRegularExpression("\"decks\":5,\"id\":\"([0-9a-f]+)\"").match(manifest);
    ASSERT_TRUE(segment.hasMatch()) << manifest.toStdString();
    const QByteArray meta =
        PosixFiles::readAll(temp.path() + "/o2/index-search/" + segment.captured(1) + "/meta.js");
    for (const char* page : {"a", "sub/b", "sub/c", "z", "sub/same/a"})
        EXPECT_TRUE(meta.contains("\"" + QByteArray(page) + ".htm\"")) << page;
    // The decks are named below the folder converted, never by a path of
    // this machine, in the search data as in the notes.
    EXPECT_TRUE(meta.contains("\"sub/same/a.ppt\"")) << meta.toStdString();
    EXPECT_FALSE(meta.contains(LocalPath::toNative(temp.path())));
    EXPECT_TRUE(PosixFiles::readAll(temp.path() + "/o2/sub/same/a_files/.deckvane-source")
                    .startsWith("sub/same/a.ppt\n"));
    EXPECT_EQ(office.processesLeft(), 0);
}

TEST(BatchFrontEndTest, AttachesToARunningOfficeConvertsAndQuitsIt) {
    TestOffice office;
    QTemporaryDir temp;
    office.makeDeck(temp.path() + "/in/deck.ppt");
    PosixFiles::writeAll(temp.path() + "/in/bad.pps", "not a deck");
    auto server = office.makeServer(true);
    server->start();
    // By default the batch starts a locked office of its own and leaves
    // the user's alone; --attach uses the user's.
    BatchResult result = runBatch({"--out", temp.path() + "/own", temp.path() + "/in"}, office);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(PosixFiles::exists(temp.path() + "/own/deck_files/img0.jpg"));
    EXPECT_TRUE(server->alive());
    result = runBatch({"--attach", "--out", temp.path() + "/html", temp.path() + "/in"}, office);
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

// ... and what it published is in the index after the next --update --index.
TEST(BatchFrontEndTest, AnInterruptedOrKilledBatchLeavesNoOfficeAndNoStaging) {
    TestOffice office;
    QTemporaryDir temp;
    // Decks of their own bytes, each one an office's work.
    const QByteArray deck =
        PosixFiles::readAll(TestOffice::sourceDir() + "/tests/data/two-slides.fodp");
    PosixFiles::makePath(temp.path() + "/in");
    for (int i = 0; i < 30; ++i)
        PosixFiles::writeAll(temp.path() + QStringLiteral("/in/deck%1.ppt").arg(i),
                             deck + QStringLiteral("<!-- %1 -->\n").arg(i).toUtf8());
    const QString out = temp.path() + "/out";
    ASSERT_EQ(runBatch({"--index", "--out", out, temp.path() + "/empty"}, office).exitCode, 2)
        << "no such folder";
    PosixFiles::makePath(temp.path() + "/empty");
    ASSERT_EQ(runBatch({"--index", "--out", out, temp.path() + "/empty"}, office).exitCode, 0);
    for (const int signal : {SIGTERM, SIGKILL}) {
        QProcess batch;
        startBatch(batch, {"--claim", "job", "--out", out, temp.path() + "/in"}, office);
        // Mid-run: the office is up and converting.
        for (int i = 0; i < 1200 && !batch.canReadLine(); ++i)
            batch.waitForReadyRead(100);
        ASSERT_GT(office.processesLeft(), 0);
        ::kill(pid_t(batch.processId()), signal);
        ASSERT_TRUE(batch.waitForFinished(30000));
        if (signal == SIGTERM) {
            EXPECT_EQ(batch.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(batch.exitCode(), 128 + SIGTERM);
            EXPECT_EQ(stagingIn(out), QStringList()) << "removed on the signal";
            // Every claim is finished or given back, none left to expire.
            const QString claims = out + "/.deckvane-claims/job/";
            int released = 0;
            for (const QString& name : PosixFiles::names(claims)) {
                const QByteArray claim = PosixFiles::readAll(claims + name);
                EXPECT_TRUE(claim.contains("\ndone ") || claim.contains("\nreleased"))
                    << name.toStdString() << ": " << claim.constData();
                released += claim.contains("\nreleased");
            }
            EXPECT_GE(released, 1) << "the signal came while a deck was converted";
            PosixFiles::removeTree(out + "/.deckvane-claims");
        }
        int left = office.processesLeft();
        for (int i = 0; i < 50 && left > 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            left = office.processesLeft();
        }
        EXPECT_EQ(left, 0) << "after signal " << signal;
    }
    const BatchResult rest = runBatch({"-u", "--index", "--out", out, temp.path() + "/in"}, office);
    EXPECT_EQ(rest.exitCode, 0) << rest.errors.toStdString();
    EXPECT_GE(rest.lines.filter("Up to date").size(), 1) << "pages of the interrupted runs";
    QStringList pages = QDir(out).entryList({"*.htm"}, QDir::Files);
    pages.sort();
    EXPECT_EQ(pages.size(), 30);
    EXPECT_EQ(IndexedPages(out), pages);
}

// A watcher with the real office: none is started for an empty tree, a
// deck copied in becomes a page in the index, the office goes once idle,
// and a signal ends the watcher as it ends a run.
TEST(BatchFrontEndTest, AWatcherConvertsADeckCopiedInAndHoldsNoOfficeWhenIdle) {
    TestOffice office;
    QTemporaryDir temp;
    const QString in = temp.path() + "/in";
    const QString status = temp.path() + "/status.json";
    PosixFiles::makePath(in);
    office.makeDeck(temp.path() + "/talk.ppt");
    QProcess watcher;
    startBatch(watcher, {"--watch", "--index", "--settle", "1", "--status", status, in}, office,
               {"DECKVANE_OFFICE_WARM=2", "HOME=" + temp.path()});
    const auto says = [&](const char* text) {
        return PosixFiles::exists(status) && PosixFiles::readAll(status).contains(text);
    };
    const auto waitFor = [&](const std::function<bool()>& done) {
        for (int i = 0; i < 1200 && !done(); ++i)
            watcher.waitForReadyRead(100);
        return done();
    };
    ASSERT_TRUE(waitFor([&] { return says("\"state\": \"idle\""); }));
    EXPECT_EQ(office.processesLeft(), 0);
    PosixFiles::writeAll(in + "/talk.ppt", PosixFiles::readAll(temp.path() + "/talk.ppt"));
    QString log;
    ASSERT_TRUE(waitFor([&] { return (log += watcher.readAllStandardOutput()).contains("talk"); }));
    EXPECT_EQ(log, in + "/talk.pptOK\n");
    const QString manifest = temp.path() + "/html/index-search/manifest.js";
    // The status is written at most once a second: until it says idle, its
    // "no office" may be from before the office had started.
    ASSERT_TRUE(waitFor([&] {
        return says("\"state\": \"idle\"") && says("\"officesRunning\": false") &&
               PosixFiles::readAll(manifest).contains("\"decks\":1");
    }));
    EXPECT_EQ(office.processesLeft(), 0);
    ::kill(pid_t(watcher.processId()), SIGTERM);
    ASSERT_TRUE(watcher.waitForFinished(30000));
    EXPECT_EQ(watcher.exitCode(), 128 + SIGTERM);
    EXPECT_TRUE(says("\"state\": \"stopped\""));
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

// A loopback TCP port that records whether anything connected to it.
class Listener {
public:
    Listener() : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
            ::listen(m_fd, 16) == 0 &&
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~Listener() { ::close(m_fd); }
    int port() const { return m_port; }
    // Connections made so far (accepted now; a closed one still counts).
    int connections() {
        int count = 0;
        for (int fd; (fd = ::accept(m_fd, nullptr, nullptr)) >= 0; ++count)
            ::close(fd);
        return count;
    }

private:
    int m_fd;
    int m_port = 0;
};

// Active content an HTML parser finds in a page: script elements, frames
// and plug-ins, event handlers, and addresses that run or render script.
QStringList activeContent(const QByteArray& page) {
    QStringList found;
    htmlDocPtr document =
        htmlReadMemory(page.constData(), int(page.size()), nullptr, "UTF-8",
                       HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING);
    const std::function<void(xmlNode*)> visit = [&](xmlNode* node) {
        for (; node; node = node->next) {
            if (node->type != XML_ELEMENT_NODE)
                continue;
            const QString name = QString::fromUtf8(reinterpret_cast<const char*>(node->name));
            // Deckvane's own script file beside the slide pages is the one
            // script a page may load, and never with a body.
            xmlChar* source = xmlGetProp(node, reinterpret_cast<const xmlChar*>("src"));
            const QString src = source ? QString::fromUtf8(reinterpret_cast<char*>(source)) : "";
            xmlFree(source);
            const bool reader =
                name.toLower() == "script" && !node->children &&
                QRegularExpression("^([^/\\\\:]+_files/)?reader\\.js$").match(src).hasMatch();
            if (!reader &&
                QStringList{"script", "iframe", "frame", "object", "embed", "svg", "base", "form"}
                    .contains(name.toLower()))
                found << name;
            for (xmlAttr* attribute = node->properties; attribute; attribute = attribute->next) {
                const QString key =
                    QString::fromUtf8(reinterpret_cast<const char*>(attribute->name)).toLower();
                xmlChar* raw = xmlNodeGetContent(reinterpret_cast<xmlNode*>(attribute));
                // Blanks and controls are dropped as a browser drops them.
                const QString value = QString::fromUtf8(reinterpret_cast<const char*>(raw))
                                          .toLower()
                                          .remove(QRegularExpression("[\\x00-\\x20]"));
                xmlFree(raw);
                if (key.startsWith("on") || value.startsWith("javascript:") ||
                    value.startsWith("vbscript:") || value.startsWith("data:text/html") ||
                    (key == "http-equiv" && value == "refresh"))
                    found << name + " " + key + "=" + value;
            }
            visit(node->children);
        }
    };
    visit(xmlDocGetRootElement(document));
    xmlFreeDoc(document);
    return found;
}

// The share of a picture's pixels that are the secret's red.
double redShare(const QString& path) {
    const QImage image(path);
    if (image.isNull())
        return -1;
    qint64 red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            red += qRed(pixel) > 200 && qGreen(pixel) < 70 && qBlue(pixel) < 70;
        }
    return double(red) / double(image.width() * image.height());
}

// Files below the folder whose bytes hold the words.
QStringList filesHolding(const QString& folder, const QByteArray& words) {
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (PosixFiles::readAll(path).contains(words))
            found << path;
    }
    return found;
}

// What the browser check finds wrong in the pages below the folder.
QString browserFindings(const QString& folder) {
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start("/usr/bin/python3",
                {TestOffice::sourceDir() + "/tests/app/batch/pages_in_browser.py", folder});
    if (!check.waitForFinished(300000) || check.exitCode() != 0)
        return QString::fromUtf8(check.readAll()) + check.errorString();
    return QString();
}

// Decks written to reach out of themselves, run through deckvane-batch with
// its defaults: a picture on the disk (outside the tree, and through
// /proc/<pid>/root) and on a loopback server, by a flat ODP under a .ppt
// name, a packed ODP and a PPTX with External relationships; markup in slide
// names, text, notes, links and click actions; transition sounds naming
// files of the machine, of the tree and through "../", which the export
// copies beside the pages; a picture built to exhaust memory; a link out of
// the tree. As root the sandbox must hold too (it runs as root in CI).
TEST(BatchFrontEndTest, UntrustedDecksReachNothingPublishNoScriptAndCannotExhaustMemory) {
    TestOffice office;
    QTemporaryDir temp;
    Listener listener;
    ASSERT_GT(listener.port(), 0);
    const QString secret = temp.path() + "/private/secret.png";
    PosixFiles::makePath(temp.path() + "/private");
    PosixFiles::writeAll(secret, HostileDecks::solidPng(64, 64, qRgb(255, 0, 0)));
    const QByteArray words = "TOP-SECRET-WORDS";
    PosixFiles::writeAll(temp.path() + "/private/secret.txt", words);
    const QString in = temp.path() + "/in";
    PosixFiles::makePath(in + "/later");
    // Through another process's root: the test's own, seen from the office.
    const QString viaProc = QStringLiteral("file:///proc/%1/root").arg(::getpid());
    const auto addresses = [&](const QString& name) {
        return QStringList{
            "file://" + secret, viaProc + secret,
            QStringLiteral("http://127.0.0.1:%1/%2.png").arg(listener.port()).arg(name)};
    };
    // Files of the tree no mask takes, which a deck names as its sounds.
    PosixFiles::writeAll(in + "/.hidden", words);
    PosixFiles::writeAll(in + "/evil.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                           "onload=\"alert(8)\"/>");
    PosixFiles::writeAll(in + "/evil.xhtml", "<html xmlns=\"http://www.w3.org/1999/xhtml\">"
                                             "<script>alert(9)</script></html>");
    PosixFiles::writeAll(
        in + "/sounds.ppt",
        HostileDecks::soundDeck(
            {"file:///etc/hostname", "file://" + in + "/.hidden", "../private/secret.txt",
             "file://" + in + "/evil.svg", "file://" + in + "/evil.xhtml",
             viaProc + temp.path() + "/private/secret.txt"},
            QStringLiteral("<a href=\"javascript&#x0000000003a;alert(6)\">padded</a><div "
                           "style=\"background:image-set('http://127.0.0.1:%1/css.png' 1x)\">"
                           "styled</div>")
                .arg(listener.port())));
    PosixFiles::writeAll(in + "/flat.ppt", HostileDecks::flatOdp(addresses("flat")));
    HostileDecks::writeOdp(in + "/packed.ppt", addresses("packed"));
    HostileDecks::writePptx(in + "/external.pptx", addresses("pptx"));
    PosixFiles::writeAll(in + "/bomb.odp", HostileDecks::memoryBomb());
    // Converted after the bomb, by whatever office replaced the one it took.
    office.makeDeck(in + "/later/good.ppt");
    PosixFiles::makePath(temp.path() + "/elsewhere");
    PosixFiles::writeAll(temp.path() + "/elsewhere/other.ppt",
                         PosixFiles::readAll(in + "/later/good.ppt"));
    ASSERT_EQ(::symlink(LocalPath::toNative(temp.path() + "/elsewhere").constData(),
                        LocalPath::toNative(in + "/share").constData()),
              0);

    const QString out = temp.path() + "/out";
    QElapsedTimer clock;
    clock.start();
    const BatchResult result =
        runBatch({"--jobs", "1", "--masks", "*.ppt,*.pptx,*.odp", "--out", out, in}, office);
    const qint64 seconds = clock.elapsed() / 1000;

    EXPECT_EQ(listener.connections(), 0) << "the decks reached the network";
    ASSERT_EQ(result.lines.size(), 6) << result.lines.join('\n').toStdString();
    for (const char* deck :
         {"/flat.ppt", "/packed.ppt", "/external.pptx", "/later/good.ppt", "/sounds.ppt"})
        EXPECT_TRUE(result.lines.contains(in + deck + "OK")) << deck;
    // Only the export's own pages and pictures are published, with the
    // reader's script, style and checked PDF; what else it copied is left
    // out and said, once.
    const auto expectOnlyTheExportsOwn = [](const QString& folder) {
        for (const QString& name : PosixFiles::names(folder))
            EXPECT_TRUE(name == HtmlPublisher::kSourceNote || ReaderPages::isOwnFile(name) ||
                        HtmlPublisher::kindOf(name) != HtmlPublisher::Kind::Other)
                << folder.toStdString() << ": " << name.toStdString();
    };
    expectOnlyTheExportsOwn(out + "/sounds_files");
    const QString leftOut = in + "/sounds.ppt: not published, as no export makes it for a deck: ";
    EXPECT_EQ(result.errors.count(leftOut), 1) << result.errors.toStdString();
    EXPECT_TRUE(result.errors.contains(leftOut + ".hidden, evil.svg, evil.xhtml"))
        << result.errors.toStdString();
    // The bomb's office is held to its limit (checked in the server's own
    // tests): it shows its placeholder, or ends and the next deck gets a
    // fresh office.
    EXPECT_LT(seconds, 240) << "well inside the per-file limit";
    EXPECT_TRUE(result.errors.contains(in + "/share leads out of " + in))
        << result.errors.toStdString();
    EXPECT_FALSE(PosixFiles::exists(out + "/other.htm"));

    for (const char* page : {"flat", "packed", "external"})
        EXPECT_LT(redShare(out + "/" + page + "_files/img0.jpg"), 0.005) << page;
    QDirIterator pages(out, {"*.htm", "*.html"}, QDir::Files, QDirIterator::Subdirectories);
    int checked = 0;
    while (pages.hasNext()) {
        const QString page = pages.next();
        const QByteArray html = PosixFiles::readAll(page);
        EXPECT_EQ(activeContent(html), QStringList()) << page.toStdString();
        EXPECT_TRUE(html.contains("http-equiv=\"Content-Security-Policy\"")) << page.toStdString();
        ++checked;
    }
    EXPECT_GE(checked, 12);
    // Escaped, not dropped: the reader sees the slide's text on its page.
    const QByteArray slide = PosixFiles::readAll(out + "/flat_files/img0.html");
    EXPECT_TRUE(slide.contains("&lt;script&gt;alert(1)&lt;/script&gt;")) << slide.toStdString();
    EXPECT_EQ(browserFindings(out), QString());
    EXPECT_EQ(listener.connections(), 0) << "the pages reached the network";
    EXPECT_EQ(filesHolding(out, words), QStringList());
    EXPECT_EQ(office.processesLeft(), 0);

    // Without the sandbox, as where the system allows none, the office's
    // own blocking stops the flat ODP and the PPTX (this office reads the
    // links of a packed ODP before it asks whether it may).
    // The export copies what the sounds name from anywhere then; none of it
    // is published.
    const BatchResult unconfined =
        runBatch({"--masks", "flat.ppt,*.pptx,sounds.ppt", "--out", temp.path() + "/plain", in},
                 office, {"DECKVANE_OFFICE_SANDBOX=off"});
    EXPECT_EQ(unconfined.lines,
              QStringList({in + "/flat.pptOK", in + "/external.pptxOK", in + "/sounds.pptOK"}));
    EXPECT_EQ(listener.connections(), 0) << "the decks reached the network";
    for (const char* page : {"flat", "external"})
        EXPECT_LT(redShare(temp.path() + "/plain/" + page + "_files/img0.jpg"), 0.005) << page;
    expectOnlyTheExportsOwn(temp.path() + "/plain/sounds_files");
    EXPECT_TRUE(
        unconfined.errors.contains(QRegularExpression("sounds.ppt: not published.*hostname")))
        << unconfined.errors.toStdString();
    EXPECT_EQ(filesHolding(temp.path() + "/plain", words), QStringList());
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
    // A deck with titles in Impact, for which fontconfig offers a font of
    // symbols: the titles stay words.
    if (!OfficeProfile::installed("Impact")) {
        const QByteArray pdf = PosixFiles::readAll(temp.path() + "/out0/56260_files/deck.pdf");
        EXPECT_TRUE(pdf.startsWith("%PDF-"));
        EXPECT_FALSE(pdf.contains("D050000L"));
    }
    EXPECT_EQ(office.processesLeft(), 0);
}

} // namespace
