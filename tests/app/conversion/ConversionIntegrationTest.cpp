#include "app/automation/AutomationError.h"
#include "app/conversion/ConversionEngine.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"
#include "tests/app/automation/QStringPrinter.h"
#include "tests/app/automation/TestOffice.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Runs the engine against a real LibreOffice on decks the test makes.
class ConversionIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        in = temp.path() + "/in";
        out = temp.path() + "/out";
        ASSERT_TRUE(PosixFiles::makePath(in));
        deck = in + "/good.ppt";
        office.makeDeck(deck);
        engine.setMaskTextSource([this] { return masks; });
        engine.setOutputFolderSource([this] { return out; });
        engine.setSuccessText("OK");
        QObject::connect(&engine, &ConversionEngine::logLine,
                         [this](const QString& line) { log << line; });
    }

    void TearDown() override {
        // Names Qt cannot spell must go before QTemporaryDir cleans up.
        PosixFiles::removeTree(temp.path());
    }

    void run() {
        ConversionEngine::CreateOutputFolder(out);
        engine.AttachOrStart();
        engine.MakeVisible();
        engine.WalkFolders(in);
        engine.Quit();
        engine.Release();
    }

    QString lineFor(const QString& path) const {
        const QStringList lines = log.filter(path);
        return lines.size() == 1 ? lines.first().mid(path.size())
                                 : QStringLiteral("(%1 lines)").arg(lines.size());
    }

    bool hasSlidePictures(const QString& base) const {
        if (!PosixFiles::exists(out + "/" + base + ".htm"))
            return false;
        const QStringList companions = PosixFiles::names(out + "/" + base + "_files");
        return companions.contains("img0.jpg") && companions.contains("img1.jpg");
    }

    TestOffice office;
    QTemporaryDir temp;
    QString in;
    QString out;
    QString deck;
    QString masks = QStringLiteral("*.ppt,*.pps,*.odp");
    ConversionEngine engine{office.makeServer()};
    QStringList log;
};

TEST_F(ConversionIntegrationTest, MessyFolderGivesOneLinePerFileAndLeavesNoOfficeRunning) {
    const QByteArray bytes = PosixFiles::readAll(deck);
    ASSERT_TRUE(PosixFiles::makePath(in + "/Sales & Marketing"));
    PosixFiles::writeAll(in + "/Sales & Marketing/Übersicht.pps", bytes);
    const QString odd = in + "/" + LocalPath::fromNative("caf\xe9.ppt");
    PosixFiles::writeAll(odd, bytes);
    office.makeLockedDeck(in + "/locked.odp");
    PosixFiles::writeAll(in + "/truncated.ppt", bytes.left(bytes.size() / 3));
    PosixFiles::writeAll(in + "/empty.ppt", "");
    PosixFiles::writeAll(in + "/notes.ppt", "Remember to bring the projector.\n");

    run();

    EXPECT_EQ(log.size(), 7) << log.join("\n").toStdString();
    EXPECT_EQ(lineFor(deck), "OK");
    EXPECT_EQ(lineFor(in + "/Sales & Marketing/Übersicht.pps"), "OK");
    EXPECT_EQ(lineFor(odd), "OK");
    EXPECT_NE(lineFor(in + "/locked.odp"), "OK");
    EXPECT_NE(lineFor(in + "/notes.ppt"), "OK");
    for (const char* name : {"truncated.ppt", "empty.ppt"})
        EXPECT_FALSE(lineFor(in + "/" + name).startsWith("(")) << name;
    EXPECT_TRUE(hasSlidePictures("good"));
    EXPECT_TRUE(hasSlidePictures("Übersicht"));
    EXPECT_TRUE(hasSlidePictures(LocalPath::fromNative("caf\xe9")));
    EXPECT_EQ(office.processesLeft(), 0);
}

TEST_F(ConversionIntegrationTest, AKilledOrHungOfficeIsReplacedAndTheRunGoesOn) {
    for (const char* name : {"b.ppt", "c.ppt"})
        PosixFiles::writeAll(in + "/" + name, PosixFiles::readAll(deck));
    // The office dies before the first file (which may or may not notice in
    // time); the second file runs out of time at once; the third must still
    // convert in a fresh office.
    int finished = 0;
    QObject::connect(&engine, &ConversionEngine::fileFinished, [&](bool) {
        ++finished;
        if (finished == 1)
            engine.setFileTimeLimit(std::chrono::milliseconds(0));
        else
            engine.setFileTimeLimit(ConversionEngine::kFileTimeLimit);
    });
    ConversionEngine::CreateOutputFolder(out);
    engine.AttachOrStart();
    engine.MakeVisible();
    office.killAll();
    engine.WalkFolders(in);
    engine.Quit();
    engine.Release();
    ASSERT_EQ(log.size(), 3) << log.join("\n").toStdString();
    EXPECT_FALSE(log[0].contains(" at ./")) << "no source locations in messages";
    EXPECT_TRUE(log[1].contains("gave no answer within 0 seconds")) << log[1].toStdString();
    EXPECT_TRUE(log[2].endsWith("OK")) << log[2].toStdString();
    EXPECT_EQ(office.processesLeft(), 0);
}

} // namespace
