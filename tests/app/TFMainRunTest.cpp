#include "app/TFMain.h"
#include "app/banner/TextBannerBrowser.h"
#include "app/controls/TDirectoryListBox.h"
#include "app/controls/TEdit.h"
#include "app/controls/TMemo.h"
#include "app/controls/TStatusBar.h"
#include "app/controls/TWebBrowser.h"
#include "platform/MessageBoxSeam.h"
#include "platform/PosixFiles.h"
#include "skin/controls/TskButton.h"
#include "tests/app/automation/QStringPrinter.h"
#include "tests/app/conversion/FakePresentationServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The start button's run, driven through the real window against a
// stand-in server; message boxes are captured.
class TFMainRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        TWebBrowser::setBrowserFactory(
            [](QWidget* parent) { return new TextBannerBrowser(parent); });
        window = std::make_unique<TFMain>();
        window->languageIdSource = [] { return std::uint16_t(1033); };
        window->loadLayout();
        TWebBrowser::setBrowserFactory({});
        window->presentationServer = server;
        previousSink =
            MessageBoxSeam::setSink([this](const MessageBoxSeam::Message& m) { boxes << m.text; });
        in = temp.path() + "/in";
        ASSERT_TRUE(PosixFiles::makePath(in + "/sub"));
        PosixFiles::writeAll(in + "/a.ppt", "deck");
        PosixFiles::writeAll(in + "/sub/b.pps", "deck");
        ASSERT_TRUE(window->DirectoryListBox1->setDirectory(in));
        window->ePath->setText(temp.path() + "/html/");
        QDir::setCurrent(temp.path());
    }
    void TearDown() override {
        MessageBoxSeam::setSink(previousSink);
        QDir::setCurrent(QDir::tempPath());
    }

    QTemporaryDir temp;
    QString in;
    std::shared_ptr<FakePresentationServer> server = std::make_shared<FakePresentationServer>();
    std::unique_ptr<TFMain> window;
    MessageBoxSeam::Sink previousSink;
    QStringList boxes;
};

TEST_F(TFMainRunTest, StartButtonConvertsTheTreeIntoTheLogAndStatusBar) {
    window->Memo1->appendLine("from an earlier run");
    QList<bool> enabledWhileLogging;
    QObject::connect(window->Memo1, &QPlainTextEdit::textChanged, [&] {
        if (!window->Memo1->toPlainText().isEmpty())
            enabledWhileLogging << window->skButton2->isEnabled();
        // Edits during the run change nothing for it.
        window->ePath->setText("elsewhere");
        window->eFileType->setText("*.none");
    });
    window->skButton2Click();
    EXPECT_EQ(window->Memo1->lines(), QStringList({in + "/a.pptOK", in + "/sub/b.ppsOK"}));
    EXPECT_EQ(enabledWhileLogging, QList<bool>({false, false})) << "disabled during the walk";
    EXPECT_TRUE(window->skButton2->isEnabled());
    EXPECT_EQ(window->StatusBar1->simpleText(), in + "/sub/b.pps") << "the last path shown stays";
    EXPECT_TRUE(QFileInfo(temp.path() + "/html/a.htm").isFile());
    EXPECT_TRUE(QFileInfo(temp.path() + "/html/b.htm").isFile());
    EXPECT_TRUE(server->calls().contains("SaveAs " + temp.path() + "/html//a.htm 12"));
    EXPECT_EQ(server->calls().mid(0, 3), QStringList({"attach", "start", "visible=true"}));
    EXPECT_EQ(server->calls().last(), "finish");
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(TFMainRunTest, EmptyOutputFolderOrNoServerEndTheRunWithTheStandardErrorBox) {
    window->Memo1->appendLine("kept");
    window->ePath->setText("");
    window->skButton2Click();
    EXPECT_EQ(boxes, QStringList({"Unable to create directory."}));
    EXPECT_TRUE(server->calls().isEmpty()) << "the server is not contacted";

    boxes.clear();
    window->ePath->setText(temp.path() + "/html");
    server->startable = false;
    window->skButton2Click();
    EXPECT_EQ(boxes, QStringList({"LibreOffice is not installed."}));
    EXPECT_EQ(window->Memo1->lines(), QStringList({"kept"}));
    EXPECT_TRUE(window->skButton2->isEnabled());
}

// A Japanese window writes its failure lines and error boxes in Japanese, as
// it writes its success text, and says which links it did not follow.
TEST_F(TFMainRunTest, FailuresAndLinksOutOfTheTreeAreLoggedInTheWindowsLanguage) {
    window->languageIdSource = [] { return std::uint16_t(1041); };
    window->FormCreate();
    const QString outside = temp.path() + "/nas";
    ASSERT_TRUE(PosixFiles::makePath(outside));
    PosixFiles::writeAll(outside + "/c.ppt", "deck");
    ASSERT_EQ(::symlink(outside.toUtf8().constData(), (in + "/2019").toUtf8().constData()), 0);
    ASSERT_EQ(::symlink((temp.path() + "/gone.ppt").toUtf8().constData(),
                        (in + "/dangling.ppt").toUtf8().constData()),
              0);
    ASSERT_EQ(::mkfifo((in + "/pipe.ppt").toUtf8().constData(), 0600), 0);
    window->skButton2Click();
    const QStringList lines = window->Memo1->lines();
    EXPECT_TRUE(lines.contains(in + "/a.ppt" + QString::fromUtf8("完成を処理します!")));
    EXPECT_TRUE(lines.contains(in + "/dangling.ppt" + QString::fromUtf8("リンク先が存在しません")))
        << lines.join('\n').toStdString();
    EXPECT_TRUE(
        lines.contains(in + "/pipe.ppt" + QString::fromUtf8("通常のファイルではありません")));
    EXPECT_TRUE(lines.contains(
        in + "/2019" +
        QString::fromUtf8("このリンクはフォルダーの外（%1）を指しているため、たどりません")
            .arg(outside)));
    for (const QString& line : lines)
        EXPECT_FALSE(line.contains("c.ppt")) << "followed the link out of the tree";

    server->startable = false;
    server->startFailure = QStringLiteral("LibreOffice is not installed: soffice was not found");
    window->skButton2Click();
    EXPECT_EQ(boxes, QStringList({QString::fromUtf8(
                         "LibreOffice がインストールされていません：soffice が見つかりません.")}));
}

TEST_F(TFMainRunTest, ClosingTheWindowDuringARunEndsItAfterTheCurrentFileAndQuitsTheServer) {
    PosixFiles::writeAll(in + "/slow.ppt", "deck");
    window->show();
    // The window is closed while the slow deck is being opened; the
    // application quits as it does when its last window closes.
    server->onOpen = [this](const QString& path) {
        if (path.endsWith("slow.ppt"))
            QMetaObject::invokeMethod(window.get(), [this] {
                window->close();
                QCoreApplication::exit(0);
            });
    };
    window->skButton2Click();
    const QStringList lines = window->Memo1->lines();
    ASSERT_FALSE(lines.isEmpty());
    // Files come in the order the file system lists them; whatever came
    // before the slow deck is done, nothing after it.
    EXPECT_EQ(lines.last(), in + "/slow.pptOK") << "the file under way finishes";
    EXPECT_FALSE(lines.contains(in + "/sub/b.ppsOK")) << "no folder is entered after the close";
    EXPECT_TRUE(server->calls().contains("Quit"));
    EXPECT_EQ(server->calls().last(), "finish");
    EXPECT_FALSE(window->running());
}

TEST_F(TFMainRunTest, AStartRequestDuringARunStartsNoSecondRun) {
    // A second click waits in the event queue while the first run keeps the
    // window live.
    int nested = 0;
    server->onOpen = [&](const QString& path) {
        if (path.endsWith("a.ppt"))
            QMetaObject::invokeMethod(window.get(), [&] {
                ++nested;
                window->skButton2Click();
            });
    };
    window->skButton2Click();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(server->calls().count("attach"), 1);
    EXPECT_EQ(window->Memo1->lines(), QStringList({in + "/a.pptOK", in + "/sub/b.ppsOK"}));
    EXPECT_FALSE(window->running());
    EXPECT_TRUE(window->skButton2->isEnabled());
}

TEST_F(TFMainRunTest, ARelativeSavePathIsTakenAgainstTheCurrentFolder) {
    window->ePath->setText("saved/html");
    window->skButton2Click();
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();
    EXPECT_TRUE(QFileInfo(temp.path() + "/saved/html/a.htm").isFile());
    EXPECT_TRUE(server->calls().contains("SaveAs " + temp.path() + "/saved/html/b.htm 12"));
}

} // namespace
