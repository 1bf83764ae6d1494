#include "app/automation/ImpressConnection.h"
#include "ErrorMessageOf.h"
#include "QStringPrinter.h"
#include "SilentPipe.h"
#include "app/automation/ImpressServer.h"
#include "platform/LocalPath.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(ImpressConnectionTest, OfficeMessagesLoseEverySourceLocationAndSayPlainlyWhatFailed) {
    EXPECT_EQ(ImpressConnection::readableMessage(
                  "Unsupported URL <file:///x/a.ppt>: \"type detection failed\" at "
                  "./framework/source/loadenv/loadenv.cxx:189"),
              "Not a presentation LibreOffice can read");
    EXPECT_EQ(ImpressConnection::readableMessage(
                  "SfxBaseModel::impl_store <file:///o/page.htm> failed: 0x81a(Error Area:Io "
                  "Class:Parameter Code:26) at ./sfx2/source/doc/sfxbasemodel.cxx:3211 at "
                  "/build/sfx2/source/doc/sfxbasemodel.cxx:1775"),
              "LibreOffice could not write the page (its error 0x81a)");
    EXPECT_EQ(ImpressConnection::readableMessage("Binary URP bridge disposed during call at "
                                                 "./binaryurp/source/bridge.cxx:613"),
              "LibreOffice ended while working on this file");
    EXPECT_EQ(ImpressConnection::readableMessage("broken at a.c:3 "), "broken");
    EXPECT_EQ(ImpressConnection::readableMessage("meet at 10:30 at the gate"),
              "meet at 10:30 at the gate");
}

TEST(ImpressConnectionTest, APipeThatNeverAnswersOrIsAnotherUsersIsLeftWithinTheLimit) {
    const QString officeDir = ImpressServer::defaultSettings().officeDir;
    const QString name = QStringLiteral("deckvane-silent-%1").arg(::getpid());
    EXPECT_TRUE(messageOf([&] {
                    ImpressConnection::connect(officeDir, name);
                }).startsWith("No LibreOffice listens on pipe"));
    SilentPipe pipe(name);
    ASSERT_TRUE(pipe.bound());
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(messageOf([&] {
                  ImpressConnection::connect(officeDir, name, std::chrono::milliseconds(500));
              }),
              "LibreOffice on pipe '" + name + "' gave no answer within 0.5 seconds");
    EXPECT_LT(clock.elapsed(), 5000);
    if (::geteuid() != 0)
        GTEST_SKIP() << "handing the socket to another user needs root";
    ASSERT_EQ(::lchown(pipe.native().constData(), 65534, 65534), 0);
    clock.restart();
    EXPECT_EQ(messageOf([&] { ImpressConnection::connect(officeDir, name); }),
              "The pipe '" + name + "' belongs to another user and was not used");
    EXPECT_LT(clock.elapsed(), 1000) << "nothing is sent to another user's socket";
}

} // namespace
