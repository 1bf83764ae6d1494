#include "app/automation/ImpressServer.h"
#include "ErrorMessageOf.h"
#include "QStringPrinter.h"
#include "TestOffice.h"
#include "app/automation/AutomationError.h"
#include "app/automation/AutomationObject.h"
#include "app/automation/HtmlPublisher.h"
#include "platform/PosixFiles.h"

#include "app/automation/ImpressConnection.h"
#include "app/automation/OfficeSandbox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <functional>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    // Every member takes exactly its own arguments.
    for (const auto& call : std::initializer_list<std::function<void()>>{
             [&] { presentation->call("Close", {qint32(1)}); },
             [&] { presentation->call("name", {qint32(1)}); },
             [&] {
                 presentations->call("Open", {deck, deck});
             },
             [&] { application->call("Presentations", {qint32(1)}); },
             [&] { application->call("Quit", {true}); }})
        EXPECT_EQ(messageOf(call), "Invalid number of parameters");

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
    QStringList left = PosixFiles::names(temp.path() + "/out");
    left.removeAll(HtmlPublisher::kLockFile);
    EXPECT_EQ(left.size(), 2) << "no staging left behind";

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
    PosixFiles::writeAll(temp.path() + "/empty.ppt", "");
    QStringList messages;
    for (const char* name : {"locked.odp", "text.ppt", "missing.ppt", "empty.ppt"}) {
        const QString message =
            messageOf([&] { presentations->call("Open", {temp.path() + "/" + name}); });
        EXPECT_NE(message, "(no error)") << name;
        EXPECT_FALSE(message.endsWith('.')) << name;
        EXPECT_FALSE(message.contains(".cxx:")) << message.toStdString();
        messages << message;
    }
    EXPECT_EQ(messages[1], "Not a presentation LibreOffice can read");
    EXPECT_EQ(messages[3], "The file is empty");
    EXPECT_TRUE(server->alive());
    server->kill();
    EXPECT_EQ(office.processesLeft(), 0);
}

TEST(ImpressServerTest, AMissingOfficeOrAccountIsReportedAsSuch) {
    const TestOffice office; // lives as long as the folders its settings name
    ImpressServer::Settings settings = office.settings();
    settings.officeDir = "/nonexistent/office";
    ImpressServer server(settings);
    const QString message = messageOf([&] { server.start(); });
    EXPECT_TRUE(message.startsWith("LibreOffice is not installed")) << message.toStdString();

    // A user id without an account, as containers run: said at once.
    const uid_t nobody = 54321;
    if (::geteuid() != 0 || ::getpwuid(nobody))
        return;
    QElapsedTimer clock;
    clock.start();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(2);
        const QString text = messageOf([&] { ImpressServer(office.settings()).start(); });
        ::_exit(text.startsWith("LibreOffice cannot run as user id 54321: the id has no entry")
                    ? 0
                    : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST(ImpressServerTest, OfficesStartedSideBySideAreEachTheirOwn) {
    TestOffice office;
    auto first = office.makeServer();
    auto second = office.makeServer();
    auto firstApplication = first->start();
    second->start();
    EXPECT_NE(first->startedPipeName(), second->startedPipeName());
    EXPECT_NE(first->startedProfileDir(), second->startedProfileDir());
    EXPECT_TRUE(first->startedPipeName().startsWith(office.settings().pipeName + "-"));
    EXPECT_EQ(first->startedPipeName().size(), office.settings().pipeName.size() + 33)
        << "a name nobody can guess";
    EXPECT_THROW(office.makeServer()->attach(), AutomationError)
        << "nothing listens on the per-user pipe: private offices are not attached to";
    firstApplication->call("Quit");
    first->finish();
    EXPECT_FALSE(first->alive());
    EXPECT_TRUE(second->alive()) << "one run's quit never ends another run's office";
    // The first profile is free again for the next office.
    auto third = office.makeServer();
    third->start();
    EXPECT_EQ(third->startedProfileDir(), office.settings().profileDir);
    second->kill();
    third->kill();
    EXPECT_EQ(office.processesLeft(), 0);
}

// Whether two namespace links of /proc name the same namespace.
bool sameNamespace(const QString& a, const QString& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// The office in its sandbox: no network of the machine's, none of its files
// but the system's and the folders it is given, no other process in sight,
// no capability (for a root caller too), its memory limited and links out
// of documents blocked in its profile; it still converts.
TEST(ImpressServerTest, AConfinedOfficeSeesOnlyItsFoldersAndConverts) {
    TestOffice office;
    QTemporaryDir temp;
    const QString in = temp.path() + "/in";
    const QString out = temp.path() + "/out";
    PosixFiles::makePath(out);
    PosixFiles::makePath(temp.path() + "/private");
    PosixFiles::writeAll(temp.path() + "/private/secret.txt", "secret");
    office.makeDeck(in + "/deck.ppt");
    ImpressServer::Settings settings = office.settings();
    settings.confined = true;
    ImpressServer server(settings);
    server.confine({in}, {out});
    auto application = server.start();
    if (OfficeSandbox::bubblewrap().isEmpty())
        GTEST_SKIP() << "no sandbox on this system";
    int checked = 0;
    for (const int pid : office.processes()) {
        const QString proc = QStringLiteral("/proc/%1").arg(pid);
        if (!QFile(proc + "/cmdline").open(QIODevice::ReadOnly) ||
            QFileInfo(proc + "/exe").symLinkTarget().section('/', -1) != "soffice.bin")
            continue;
        ++checked;
        for (const char* space : {"net", "pid", "ipc", "mnt"})
            EXPECT_FALSE(
                sameNamespace(proc + "/ns/" + space, QStringLiteral("/proc/self/ns/") + space))
                << space;
        if (OfficeSandbox::userNamespace()) {
            EXPECT_FALSE(sameNamespace(proc + "/ns/user", "/proc/self/ns/user"));
        }
        QFile status(proc + "/status");
        ASSERT_TRUE(status.open(QIODevice::ReadOnly));
        const QString fields = QString::fromLatin1(status.readAll());
        EXPECT_TRUE(fields.contains(QRegularExpression("CapEff:\\s+0+\n"))) << fields.toStdString();
        EXPECT_TRUE(fields.contains(QRegularExpression("CapPrm:\\s+0+\n")));
        // Its /proc holds its own few processes, not this test nor the host's.
        const QStringList seen = QDir(proc + "/root/proc").entryList({"[0-9]*"}, QDir::Dirs);
        EXPECT_LT(seen.size(), 10) << seen.join(' ').toStdString();
        EXPECT_TRUE(QFileInfo::exists(proc + "/root" + in + "/deck.ppt"));
        // The decks are there to be read: no deck can change another.
        errno = 0;
        EXPECT_NE(::access(QFile::encodeName(proc + "/root" + in).constData(), W_OK), 0);
        EXPECT_EQ(errno, EROFS);
        EXPECT_EQ(::access(QFile::encodeName(proc + "/root" + out).constData(), W_OK), 0);
        EXPECT_FALSE(QFileInfo::exists(proc + "/root" + temp.path() + "/private"));
        EXPECT_FALSE(QFileInfo::exists(proc + "/root/etc/shadow"));
        QFile limits(proc + "/limits");
        ASSERT_TRUE(limits.open(QIODevice::ReadOnly));
        EXPECT_TRUE(
            QString::fromLatin1(limits.readAll())
                .contains(QRegularExpression(
                    QStringLiteral("Max address space +%1 ").arg(ImpressServer::kMemoryLimit))));
    }
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(PosixFiles::readAll(server.startedProfileDir() + "/user/registrymodifications.xcu")
                    .contains("\"BlockUntrustedRefererLinks\" oor:op=\"fuse\"><value>true"));

    auto presentations =
        AutomationObject::toObject(application->get("Presentations"), "presentations");
    auto presentation =
        AutomationObject::toObject(presentations->call("Open", {in + "/deck.ppt"}), "presentation");
    presentation->call("SaveAs", {out + "/deck.htm", qint32(12), false});
    presentation->call("Close");
    EXPECT_TRUE(PosixFiles::exists(out + "/deck_files/img0.jpg"));
    application->call("Quit");
    server.finish();
    EXPECT_EQ(office.processesLeft(), 0);
}

// An office folder whose program only pretends: it ends at once, or never
// opens its pipe.
class FakeOfficeDir {
public:
    explicit FakeOfficeDir(const QByteArray& script) {
        // The UNO runtime itself comes from the real office.
        if (qEnvironmentVariableIsEmpty("URE_BOOTSTRAP"))
            ImpressConnection::prepare(ImpressServer::defaultSettings().officeDir);
        PosixFiles::makePath(temp.path() + "/program");
        PosixFiles::writeAll(temp.path() + "/program/soffice", "#!/bin/sh\n" + script + "\n");
        ::chmod(QFile::encodeName(temp.path() + "/program/soffice").constData(), 0755);
    }
    QTemporaryDir temp;
};

TEST(ImpressServerTest, AnOfficeThatEndsAtOnceOrNeverAnswersIsReportedAsSuch) {
    const TestOffice office; // lives as long as the folders its settings name
    ImpressServer::Settings settings = office.settings();
    FakeOfficeDir quitter("exit 1");
    settings.officeDir = quitter.temp.path();
    EXPECT_EQ(messageOf([&] { ImpressServer(settings).start(); }),
              "LibreOffice could not be started: " + settings.officeDir +
                  "/program/soffice ended at once");

    FakeOfficeDir sleeper("exec sleep 30");
    settings.officeDir = sleeper.temp.path();
    settings.startTimeout = std::chrono::milliseconds(1500);
    ImpressServer server(settings);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(messageOf([&] { server.start(); }),
              "LibreOffice did not answer within 1.5 seconds of starting");
    EXPECT_LT(clock.elapsed(), 10000);
}

} // namespace
