#include "app/automation/ImpressServer.h"
#include "ErrorMessageOf.h"
#include "QStringPrinter.h"
#include "TestOffice.h"
#include "app/automation/AutomationError.h"
#include "app/automation/AutomationObject.h"
#include "platform/PosixFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(ImpressServerTest, StartAttachConvertAndQuitLeavesNoProcess) {
    TestOffice office;
    QTemporaryDir temp;
    const QString deck = temp.path() + "/Quarterly.Report.ppt";
    office.makeDeck(deck);

    auto server = office.makeServer();
    EXPECT_THROW(server->attach(), AutomationError) << "nothing listens yet";
    auto application = server->start();
    ASSERT_TRUE(server->alive());
    application->put("visible", true);
    EXPECT_TRUE(std::get<bool>(application->get("VISIBLE")));

    auto presentations =
        AutomationObject::toObject(application->get("Presentations"), "presentations");
    auto presentation =
        AutomationObject::toObject(presentations->call("open", {deck}), "presentation");
    EXPECT_EQ(AutomationObject::toText(presentation->get("Name"), "name"), "Quarterly.Report.ppt");
    EXPECT_EQ(messageOf([&] {
                  presentation->call("SaveAs", {temp.path() + "/x.ppt", qint32(2), false});
              }),
              "Presentation.SaveAs: file format 2 is not supported");
    EXPECT_EQ(messageOf([&] { presentation->call("Print"); }),
              "Method 'Print' not supported by automation object");

    const QString page = temp.path() + "/out/Quarterly.htm";
    ASSERT_TRUE(PosixFiles::makePath(temp.path() + "/out"));
    presentation->call("SaveAs", {page, qint32(12), false});
    presentation->call("Close");

    const QByteArray html = PosixFiles::readAll(page);
    EXPECT_TRUE(html.contains("href=\"Quarterly_files/img0.html\"")) << html.toStdString();
    const QStringList companions = PosixFiles::names(temp.path() + "/out/Quarterly_files");
    EXPECT_TRUE(companions.contains("img0.jpg")) << companions.join(' ').toStdString();
    EXPECT_TRUE(companions.contains("img1.jpg"));
    EXPECT_TRUE(PosixFiles::readAll(temp.path() + "/out/Quarterly_files/text0.html")
                    .contains("Notes for the first slide"));
    EXPECT_TRUE(PosixFiles::readAll(temp.path() + "/out/Quarterly_files/img0.html")
                    .contains("href=\"../Quarterly.htm\""));
    EXPECT_EQ(PosixFiles::names(temp.path() + "/out").size(), 2) << "no staging left behind";

    application->call("Quit");
    server->finish();
    EXPECT_FALSE(server->alive());
    EXPECT_EQ(office.processesLeft(), 0);
}

TEST(ImpressServerTest, UnloadableFilesFailWithAMessageAndNothingWaits) {
    TestOffice office;
    QTemporaryDir temp;
    office.makeLockedDeck(temp.path() + "/locked.odp");
    PosixFiles::writeAll(temp.path() + "/text.ppt", "This is only a note, not a deck.\n");
    auto server = office.makeServer();
    auto application = server->start();
    auto presentations =
        AutomationObject::toObject(application->get("Presentations"), "presentations");
    for (const char* name : {"locked.odp", "text.ppt", "missing.ppt"}) {
        const QString message =
            messageOf([&] { presentations->call("Open", {temp.path() + "/" + name}); });
        EXPECT_NE(message, "(no error)") << name;
        EXPECT_FALSE(message.endsWith('.')) << name;
    }
    EXPECT_TRUE(server->alive());
    server->kill();
    EXPECT_EQ(office.processesLeft(), 0);
}

TEST(ImpressServerTest, AMissingOfficeIsReportedAsSuch) {
    ImpressServer::Settings settings = TestOffice().settings();
    settings.officeDir = "/nonexistent/office";
    ImpressServer server(settings);
    const QString message = messageOf([&] { server.start(); });
    EXPECT_TRUE(message.startsWith("LibreOffice is not installed")) << message.toStdString();
}

} // namespace
