#include "tests/app/automation/QStringPrinter.h"
#include "tests/app/conversion/FakePresentationServer.h"

#include "app/automation/AutomationError.h"
#include "app/conversion/ConversionEngine.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
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

    // The run as the front ends sequence it.
    void run() {
        ConversionEngine::CreateOutputFolder(outputText.isNull() ? out : outputText);
        engine.AttachOrStart();
        engine.MakeVisible();
        engine.WalkFolders(root);
        engine.Quit();
        engine.Release();
    }

    QStringList opened() const {
        QStringList result;
        for (const QString& call : server->calls())
            if (call.startsWith("Open "))
                result << call.mid(5);
        return result;
    }

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
    masks = "A.PPT,*.ppt"; // matched twice: converted twice
    run();
    EXPECT_EQ(log, QStringList({root + "/a.pptOK", root + "/a.pptOK"}));
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
    EXPECT_EQ(reads, 2);
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
    } catch (const AutomationError& error) {
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
    masks = "1*,2*";
    engine.setFileTimeLimit(std::chrono::milliseconds(200));
    run();
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].startsWith(root + "/1-hang.pptLibreOffice gave no answer"));
    EXPECT_EQ(log[1], root + "/2-good.pptOK");
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

} // namespace
