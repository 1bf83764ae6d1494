#include "tests/app/automation/QStringPrinter.h"
#include "tests/app/conversion/FakePresentationServer.h"

#include "app/automation/AutomationError.h"
#include "app/conversion/ConversionEngine.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ConversionEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        root = temp.path() + "/in";
        out = temp.path() + "/out";
        mkdir("");
        engine.setMaskTextSource([this] { return masks; });
        engine.setOutputFolderSource([this] { return outputText.isNull() ? out : outputText; });
        engine.setSuccessText("OK");
        QObject::connect(&engine, &ConversionEngine::logLine,
                         [this](const QString& line) { log << line; });
        QObject::connect(&engine, &ConversionEngine::statusChanged,
                         [this](const QString& text) { status << text; });
    }

    void mkdir(const QString& relative) {
        ASSERT_TRUE(PosixFiles::makePath(root + "/" + relative));
    }
    void touch(const QString& relative) { PosixFiles::writeAll(root + "/" + relative, "deck"); }

    // The run both front ends make.
    void run() { engine.Run(root); }

    QStringList opened() const {
        QStringList result;
        for (const QString& call : server->calls())
            if (call.startsWith("Open "))
                result << call.mid(5);
        return result;
    }

    // Qt cannot remove names that are not UTF-8: the folder goes byte by byte.
    void TearDown() override { PosixFiles::removeTree(temp.path()); }

    QTemporaryDir temp;
    QString root;
    QString out;
    QString masks = QStringLiteral("*.ppt,*.pps");
    QString outputText;
    std::shared_ptr<FakePresentationServer> server = std::make_shared<FakePresentationServer>();
    ConversionEngine engine{server};
    QStringList log;
    QStringList status;
};

TEST(SplitStringTest, CutsAtEverySeparatorKeepingEmptyPieces) {
    EXPECT_EQ(ConversionEngine::SplitString("", ","), QStringList());
    EXPECT_EQ(ConversionEngine::SplitString("*.ppt", ","), QStringList({"*.ppt"}));
    EXPECT_EQ(ConversionEngine::SplitString("a,,b,", ","), QStringList({"a", "", "b", ""}));
    EXPECT_EQ(ConversionEngine::SplitString(",", ","), QStringList({"", ""}));
    EXPECT_EQ(ConversionEngine::SplitString(" a , b", ","), QStringList({" a ", " b"}));
    EXPECT_EQ(ConversionEngine::SplitString("a--b--", "--"), QStringList({"a", "b", ""}));
}

TEST(SplitStringTest, TrimsBlanksAndControlsOnlyAtTheEnds) {
    EXPECT_EQ(ConversionEngine::trimBlanks(" \t*.ppt, *.pps\r\n"), "*.ppt, *.pps");
    EXPECT_EQ(ConversionEngine::trimBlanks(" \x01 "), "");
    EXPECT_EQ(ConversionEngine::baseName("a.b.ppt"), "a");
    EXPECT_EQ(ConversionEngine::baseName("README"), "");
    EXPECT_EQ(ConversionEngine::baseName(".ppt"), "");
}

TEST_F(ConversionEngineTest, RunConvertsDepthFirstWithOneLinePerFileAndQuits) {
    touch("a.ppt");
    mkdir("sub");
    touch("sub/b.PPS");
    touch("sub/notes.txt");
    touch("c.pptx");
    run();
    EXPECT_EQ(log, QStringList({root + "/a.pptOK", root + "/sub/b.PPSOK"}));
    const QStringList calls = server->calls();
    EXPECT_EQ(calls.first(), "attach");
    EXPECT_EQ(calls.at(1), "start");
    EXPECT_EQ(calls.at(2), "visible=true");
    EXPECT_TRUE(calls.contains("SaveAs " + out + "/a.htm 12"));
    EXPECT_TRUE(calls.contains("SaveAs " + out + "/b.htm 12"));
    EXPECT_EQ(calls.mid(calls.size() - 2), QStringList({"Quit", "finish"}));
    EXPECT_TRUE(QFile::exists(out + "/a.htm"));
    EXPECT_FALSE(engine.hasServer());
    // Status: the mask searches of the start folder, its file, then the subfolder.
    EXPECT_EQ(status.mid(0, 4),
              QStringList({root + "/*.ppt", root + "/a.ppt", root + "/*.pps", root + "/sub"}));
}

TEST_F(ConversionEngineTest, AttachesToARunningServerAndStillQuitsIt) {
    server->attachable = true;
    run();
    EXPECT_EQ(server->starts(), 0);
    EXPECT_TRUE(server->calls().contains("Quit"));
}

TEST_F(ConversionEngineTest, EmptyOrBlankMasksConvertNothingButVisitEveryFolder) {
    touch("a.ppt");
    mkdir("x/y");
    for (const QString& text : {QString(""), QString("  \t")}) {
        masks = text;
        log.clear();
        status.clear();
        run();
        EXPECT_TRUE(log.isEmpty());
        EXPECT_EQ(status, QStringList({root + "/x", root + "/x/y"}));
        EXPECT_TRUE(server->calls().contains("Quit"));
    }
}

TEST_F(ConversionEngineTest, MaskListQuirksAreKept) {
    touch("a.ppt");
    touch("b.pps");
    touch(" c.pps");
    masks = "*.ppt, *.pps"; // the second mask begins with a blank
    run();
    EXPECT_EQ(log, QStringList({root + "/a.pptOK", root + "/ c.ppsOK"}));

    log.clear();
    masks = "*.ppt,"; // the empty last mask finds nothing
    run();
    EXPECT_EQ(log, QStringList({root + "/a.pptOK"}));
    EXPECT_TRUE(status.contains(root + "/"));

    log.clear();
    masks = "A.PPT,*.ppt,*"; // matched thrice: converted once, in the first mask's turn
    run();
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log.first(), root + "/a.pptOK");
    EXPECT_EQ(log.removeDuplicates(), 0);
}

TEST_F(ConversionEngineTest, OutputNameIsThePartBeforeTheFirstDot) {
    touch("a.b.ppt");
    mkdir("deep");
    touch("deep/a.c.ppt");
    touch("nodot");
    masks = "*.ppt,nodot";
    run();
    const QStringList saves = server->calls().filter("SaveAs ");
    EXPECT_EQ(saves, QStringList({"SaveAs " + out + "/a.htm 12", "SaveAs " + out + "/.htm 12",
                                  "SaveAs " + out + "/a.htm 12"}));
    EXPECT_EQ(log.size(), 3);
}

TEST_F(ConversionEngineTest, OutputFolderTextIsUsedAsTypedAndReadPerFile) {
    touch("a.ppt");
    touch("b.ppt");
    outputText = out + "/";
    int reads = 0;
    engine.setOutputFolderSource([&] {
        ++reads;
        return outputText;
    });
    run();
    EXPECT_EQ(reads, 3) << "once to make the folder, then once per file";
    EXPECT_TRUE(server->calls().contains("SaveAs " + out + "//a.htm 12"));
}

TEST_F(ConversionEngineTest, MissingOutputFolderIsCreatedWithItsParentsAndEmptyTextIsAnError) {
    outputText = temp.path() + "/new/deeper/html";
    touch("a.ppt");
    run();
    EXPECT_TRUE(QFileInfo(outputText).isDir());
    EXPECT_EQ(log, QStringList({root + "/a.pptOK"}));
    try {
        ConversionEngine::CreateOutputFolder("");
        FAIL() << "an empty output folder text must be refused";
    } catch (const FileError& error) {
        EXPECT_EQ(error.message(), "Unable to create directory");
    }
}

TEST_F(ConversionEngineTest, UncreatableOutputFolderFailsEveryFileAtSaveButTheRunGoesOn) {
    touch("file");
    outputText = root + "/file/html"; // below a file: cannot exist
    touch("a.ppt");
    touch("b.ppt");
    run();
    ASSERT_EQ(log.size(), 2);
    for (const QString& line : log)
        EXPECT_TRUE(line.contains(".pptCannot write")) << line.toStdString();
    EXPECT_EQ(server->openDecks(), 0) << "failed decks are closed, not left open";
}

TEST_F(ConversionEngineTest, HiddenFilesAreConvertedHiddenFoldersAreNotWalked) {
    touch(".secret.ppt");
    mkdir(".cache");
    touch(".cache/x.ppt");
    mkdir("Sales & Marketing");
    touch("Sales & Marketing/q&a.ppt");
    run();
    EXPECT_EQ(log, QStringList({root + "/.secret.pptOK", root + "/Sales & Marketing/q&a.pptOK"}));
    EXPECT_FALSE(status.contains(root + "/.cache"));
}

TEST_F(ConversionEngineTest, FailuresGiveOneLineWithTheMessageAndTheWalkGoesOn) {
    touch("1-broken.ppt");
    touch("2-nosave.ppt");
    touch("3-good.ppt");
    masks = "1*,2*,3*";
    run();
    EXPECT_EQ(log, QStringList({root + "/1-broken.pptCannot open file",
                                root + "/2-nosave.pptDisk full", root + "/3-good.pptOK"}));
}

TEST_F(ConversionEngineTest, SpecialFilesAndDanglingLinksFailWithoutBeingOpened) {
    ASSERT_EQ(::mkfifo(LocalPath::toNative(root + "/pipe.ppt").constData(), 0600), 0);
    ASSERT_EQ(::symlink("nowhere", LocalPath::toNative(root + "/dangling.ppt").constData()), 0);
    touch("real.ppt");
    ASSERT_EQ(::symlink("real.ppt", LocalPath::toNative(root + "/link.ppt").constData()), 0);
    run();
    EXPECT_EQ(log.size(), 4);
    EXPECT_TRUE(log.contains(root + "/pipe.pptNot a regular file"));
    EXPECT_TRUE(log.contains(root + "/dangling.pptThe link leads nowhere"));
    EXPECT_TRUE(log.contains(root + "/link.pptOK"));
    EXPECT_EQ(opened().size(), 2);
}

TEST_F(ConversionEngineTest, SymlinkedFoldersAreFollowedButNoFolderIsWalkedTwice) {
    mkdir("a/b");
    touch("a/b/x.ppt");
    ASSERT_EQ(::symlink("..", LocalPath::toNative(root + "/a/b/up").constData()), 0);
    ASSERT_EQ(::symlink(LocalPath::toNative(root + "/a").constData(),
                        LocalPath::toNative(root + "/also-a").constData()),
              0);
    run();
    EXPECT_EQ(log.size(), 1);
    EXPECT_EQ(opened().size(), 1);
}

TEST_F(ConversionEngineTest, FolderThatCannotBeEnteredIsSkippedAndLaterSiblingsAreWalked) {
    for (const QString& folder : {"1", "2", "3"}) {
        mkdir(folder);
        touch(folder + "/deck" + folder + ".ppt");
    }
    // The second folder in listing order disappears while the walk is busy
    // in the first.
    FolderListing listing;
    ASSERT_TRUE(listing.read(root));
    const QString first = listing.entries().at(0).name;
    const QString second = listing.entries().at(1).name;
    const QString third = listing.entries().at(2).name;
    server->onOpen = [&](const QString& path) {
        if (path.startsWith(root + "/" + first + "/"))
            PosixFiles::removeTree(root + "/" + second);
    };
    run();
    EXPECT_EQ(log, QStringList({root + "/" + first + "/deck" + first + ".pptOK",
                                root + "/" + third + "/deck" + third + ".pptOK"}));
    if (::geteuid() != 0) {
        // Without privileges, a folder without permissions is skipped too.
        mkdir("4");
        touch("4/locked.ppt");
        ::chmod(LocalPath::toNative(root + "/4").constData(), 0);
        log.clear();
        run();
        ::chmod(LocalPath::toNative(root + "/4").constData(), 0755);
        EXPECT_FALSE(log.join("\n").contains("locked"));
    }
}

TEST_F(ConversionEngineTest, NamesThatAreNotUtf8SurviveExactly) {
    const QByteArray raw = "caf\xe9-\xff.ppt";
    PosixFiles::writeAll(root + "/" + LocalPath::fromNative(raw), "deck");
    touch("日本語.ppt");
    run();
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(QFile::exists(out + "/日本語.htm"));
    const QString expected = out + "/" + LocalPath::fromNative("caf\xe9-\xff") + ".htm";
    struct stat info {};
    EXPECT_EQ(::stat(LocalPath::toNative(expected).constData(), &info), 0);
}

TEST_F(ConversionEngineTest, AHungDeckIsStoppedAtTheTimeLimitAndANewServerTakesTheNextFile) {
    touch("1-hang.ppt");
    touch("2-good.ppt");
    // Open and save each within the limit, not both: the limit is the file's.
    touch("3-slowsave.ppt");
    masks = "1*,2*,3*";
    engine.setFileTimeLimit(std::chrono::milliseconds(450));
    run();
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log[0], root + "/1-hang.pptLibreOffice gave no answer within 0.45 seconds and was "
                             "stopped")
        << "the message names the file's limit";
    EXPECT_EQ(log[1], root + "/2-good.pptOK");
    EXPECT_EQ(log[2], root + "/3-slowsave.pptLibreOffice gave no answer within 0.45 seconds and "
                             "was stopped");
    EXPECT_TRUE(server->calls().contains("kill"));
    EXPECT_EQ(server->starts(), 2);
}

TEST_F(ConversionEngineTest, ACrashedServerIsReplacedForTheNextFile) {
    touch("1-crash.ppt");
    touch("2-good.ppt");
    masks = "1*,2*";
    run();
    ASSERT_EQ(log.size(), 2);
    EXPECT_EQ(log[1], root + "/2-good.pptOK");
    EXPECT_EQ(server->starts(), 2);
}

TEST_F(ConversionEngineTest, NoServerEndsTheRunBeforeAnythingIsWalked) {
    server->startable = false;
    touch("a.ppt");
    ConversionEngine::CreateOutputFolder(out);
    EXPECT_THROW(engine.AttachOrStart(), AutomationError);
    EXPECT_FALSE(engine.hasServer());
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(ConversionEngineTest, EventsKeepFlowingWhileAFileConverts) {
    touch("slow.ppt");
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    const int before = ticks;
    ConversionEngine::CreateOutputFolder(out);
    engine.AttachOrStart();
    engine.ConvertFile(root + "/slow.ppt");
    EXPECT_GE(ticks - before, 10) << "the GUI thread must keep processing events";
    EXPECT_EQ(log, QStringList({root + "/slow.pptOK"}));
}

TEST_F(ConversionEngineTest, FileNamedOnlyByTheStartFolderRootKeepsTheSingleSeparatorRule) {
    // A root start folder gives a doubled separator, as paths are joined
    // with one "/" whatever the first part ends with.
    touch("a.ppt");
    ConversionEngine::CreateOutputFolder(out);
    engine.AttachOrStart();
    engine.ScanFolder(root + "/");
    EXPECT_EQ(log, QStringList({root + "//a.pptOK"}));
}

TEST_F(ConversionEngineTest, RelativeTextsAreTakenAgainstTheFolderCurrentAtTheStart) {
    touch("a.ppt");
    mkdir("sub");
    touch("sub/b.ppt");
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(temp.path()));
    outputText = "./rel//out";
    QStringList order;
    QObject::connect(&engine, &ConversionEngine::logLine, [&] {
        order << "line";
        // A front end moving to another folder mid-run changes nothing.
        QDir::setCurrent(root + "/sub");
    });
    engine.Run("./in", {[&] { order << "ready"; }, [&] { order << "walked"; }});
    QDir::setCurrent(before);
    EXPECT_EQ(log, QStringList({root + "/a.pptOK", root + "/sub/b.pptOK"}));
    EXPECT_TRUE(server->calls().contains("SaveAs " + temp.path() + "/rel/out/a.htm 12"));
    EXPECT_TRUE(server->calls().contains("SaveAs " + temp.path() + "/rel/out/b.htm 12"));
    EXPECT_EQ(order, QStringList({"ready", "line", "line", "walked"}));
    EXPECT_EQ(server->calls().last(), "finish");
    // The office reads the decks and writes the pages, and nothing else.
    EXPECT_EQ(server->writable(), QStringList({temp.path() + "/rel/out"}));
    EXPECT_TRUE(server->readable().contains(root));
}

TEST(AbsolutePathTest, RelativeTextsJoinTheBaseAbsoluteAndEmptyStay) {
    EXPECT_EQ(ConversionEngine::absolutePath(".", "/home/u"), "/home/u");
    EXPECT_EQ(ConversionEngine::absolutePath("./a/./b/", "/home/u"), "/home/u/a/b");
    EXPECT_EQ(ConversionEngine::absolutePath("../x", "/home/u"), "/home/u/../x");
    EXPECT_EQ(ConversionEngine::absolutePath("a", "/"), "/a");
    EXPECT_EQ(ConversionEngine::absolutePath("/abs//x/", "/home/u"), "/abs//x/");
    EXPECT_EQ(ConversionEngine::absolutePath("", "/home/u"), "");
}

TEST_F(ConversionEngineTest, ListingWalksAndReportsWithoutAServerOrAnOutputFolder) {
    touch("a.ppt");
    mkdir("sub");
    touch("sub/b.pps");
    engine.setListOnly(true);
    run();
    EXPECT_EQ(log, QStringList({root + "/a.ppt", root + "/sub/b.pps"}));
    EXPECT_TRUE(server->calls().isEmpty()) << server->calls().join(", ").toStdString();
    EXPECT_FALSE(QFileInfo::exists(out));
}

TEST_F(ConversionEngineTest, FoldersWhoseNamesMatchAMaskAreWalkedNotConverted) {
    mkdir("archive.ppt");
    touch("archive.ppt/inner.ppt");
    ASSERT_EQ(::symlink("archive.ppt", LocalPath::toNative(root + "/link.ppt").constData()), 0);
    run();
    EXPECT_EQ(opened(), QStringList({root + "/archive.ppt/inner.ppt"}));
    EXPECT_EQ(log, QStringList({root + "/archive.ppt/inner.pptOK"}));
}

TEST_F(ConversionEngineTest, ControlCharactersInNamesAreShownEscapedOnOneLine) {
    touch("two\nlines.ppt");
    touch("bell\x07\t.ppt");
    run();
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log.contains(root + "/two\\nlines.pptOK")) << log.join('|').toStdString();
    EXPECT_TRUE(log.contains(root + "/bell\\x07\\t.pptOK")) << log.join('|').toStdString();
    EXPECT_EQ(opened().filter("two\nlines.ppt").size(), 1) << "the file itself keeps its name";
    for (const QString& text : status)
        EXPECT_FALSE(text.contains('\n'));
    EXPECT_EQ(ConversionEngine::printable(QString::fromUtf16(u"a\u2028b\u0085c\rd\x7f")),
              "a\\u2028b\\x85c\\rd\\x7f");
}

TEST_F(ConversionEngineTest, LinksOutOfTheTreeAreReportedNotWalkedUnlessFollowed) {
    const QString elsewhere = temp.path() + "/elsewhere";
    ASSERT_TRUE(PosixFiles::makePath(elsewhere));
    PosixFiles::writeAll(elsewhere + "/far.ppt", "deck");
    for (const char* target : {"/proc", "/sys", "/dev"})
        ASSERT_EQ(::symlink(target, LocalPath::toNative(root + target).constData()), 0);
    ASSERT_EQ(::symlink(LocalPath::toNative(elsewhere).constData(),
                        LocalPath::toNative(root + "/far").constData()),
              0);
    ASSERT_EQ(::symlink("../elsewhere/far.ppt", LocalPath::toNative(root + "/f.ppt").constData()),
              0);
    mkdir("a");
    touch("a/near.ppt");
    ASSERT_EQ(::symlink("../a", LocalPath::toNative(root + "/a/again").constData()), 0);
    ASSERT_EQ(::symlink("a/near.ppt", LocalPath::toNative(root + "/n.ppt").constData()), 0);
    QStringList leaving;
    QObject::connect(&engine, &ConversionEngine::linkLeavesTree,
                     [&](const QString& path, const QString&) { leaving << path; });
    run();
    leaving.sort();
    EXPECT_EQ(leaving, QStringList({root + "/dev", root + "/f.ppt", root + "/far", root + "/proc",
                                    root + "/sys"}));
    log.sort();
    EXPECT_EQ(log, QStringList({root + "/a/near.pptOK", root + "/n.pptOK"}));

    // Followed on request, links still never lead into the kernel's own
    // file systems.
    log.clear();
    engine.setFollowLinksOut(true);
    masks = "far.ppt";
    // A walk that goes in is stopped at once rather than left to roam.
    QObject::connect(&engine, &ConversionEngine::statusChanged, [&](const QString& text) {
        for (const char* pseudo : {"/proc/", "/sys/", "/dev/"})
            if (text.startsWith(root + pseudo))
                engine.requestStop();
    });
    run();
    EXPECT_EQ(log, QStringList({root + "/far/far.pptOK"}));
    for (const QString& text : status) {
        EXPECT_FALSE(text.startsWith(root + "/proc/") || text.startsWith(root + "/sys/") ||
                     text.startsWith(root + "/dev/"))
            << text.toStdString();
    }
}

TEST_F(ConversionEngineTest, ARunClearsStaleStagingFoldersOfAnInterruptedRun) {
    ASSERT_TRUE(PosixFiles::makePath(out + "/.deckvane-Ab12Cd/companions"));
    ASSERT_TRUE(PosixFiles::makePath(out + "/.deckvane-fresh1"));
    const struct timespec old[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
    ASSERT_EQ(
        ::utimensat(AT_FDCWD, LocalPath::toNative(out + "/.deckvane-Ab12Cd").constData(), old, 0),
        0);
    run();
    EXPECT_FALSE(QFileInfo::exists(out + "/.deckvane-Ab12Cd"));
    EXPECT_TRUE(QFileInfo::exists(out + "/.deckvane-fresh1")) << "a live export may own it";
}

} // namespace

TEST_F(ConversionEngineTest, AWornOfficeIsReplacedBetweenFilesWithTheLogUnchanged) {
    for (const char* name : {"a", "b", "c", "d", "e"})
        touch(QString(name) + ".ppt");
    engine.setRecyclePolicy(OfficeRecyclePolicy(2, 0));
    run();
    ASSERT_EQ(log.size(), 5) << log.join('\n').toStdString();
    for (const QString& line : log)
        EXPECT_TRUE(line.endsWith(".pptOK")) << line.toStdString();
    // Five files, two per office: three offices, each quit before the next
    // starts, never in the middle of a file.
    EXPECT_EQ(server->starts(), 3);
    EXPECT_EQ(engine.serversReplaced(), 2);
    EXPECT_EQ(server->calls().filter("finish").size(), 3);
    EXPECT_EQ(server->openDecks(), 0);
    EXPECT_FALSE(server->alive());
    int open = 0;
    for (const QString& call : server->calls()) {
        open += call.startsWith("Open ") ? 1 : call == "Close" ? -1 : 0;
        if (call == "Quit") {
            EXPECT_EQ(open, 0) << "an office was quit with a deck open";
        }
    }
}

TEST_F(ConversionEngineTest, AnOfficePastTheMemoryCeilingIsReplacedButAnAttachedOneNever) {
    touch("a.ppt");
    touch("b.ppt");
    server->memory = 900;
    engine.setRecyclePolicy(OfficeRecyclePolicy(0, 800));
    run();
    EXPECT_EQ(server->starts(), 2) << "replaced once, before the second file";
    EXPECT_EQ(log.size(), 2);

    server->attachable = true;
    const int startsBefore = server->starts();
    run();
    EXPECT_EQ(server->starts(), startsBefore) << "the user's own office is left alone";
}
