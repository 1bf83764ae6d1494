#include "TestOffice.h"

#include "app/automation/AutomationError.h"
#include "app/automation/ImpressConnection.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <atomic>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <csignal>
#include <thread>
#include <unistd.h>

using namespace css;

TestOffice::TestOffice() {
    static std::atomic<int> counter{0};
    m_pipe = QStringLiteral("deckvane-test-%1-%2").arg(::getpid()).arg(counter++);
}

// A test that fails half-way leaves its offices running otherwise.
TestOffice::~TestOffice() {
    killAll();
}

QString TestOffice::sourceDir() {
    const QString dir = qEnvironmentVariable("DECKVANE_SOURCE_DIR");
    return dir.isEmpty() ? QDir::currentPath() : dir;
}

ImpressServer::Settings TestOffice::settings() const {
    ImpressServer::Settings settings = ImpressServer::defaultSettings();
    settings.pipeName = m_pipe;
    settings.profileDir = m_temp.path() + QStringLiteral("/profile");
    return settings;
}

std::shared_ptr<ImpressServer> TestOffice::makeServer(bool onSharedPipe) const {
    ImpressServer::Settings chosen = settings();
    chosen.startOnSharedPipe = onSharedPipe;
    return std::make_shared<ImpressServer>(chosen);
}

void TestOffice::makeDeck(const QString& pptPath) const {
    saveDeck(pptPath, nullptr);
}

void TestOffice::makeLockedDeck(const QString& pptPath) const {
    saveDeck(pptPath, "secret");
}

void TestOffice::saveDeck(const QString& pptPath, const char* password) const {
    // A freshly made profile under heavy load now and then gives an office
    // that refuses its first document; a second office has always served.
    for (int attempt = 1;; ++attempt) {
        try {
            saveDeckOnce(pptPath, password, attempt);
            return;
        } catch (const AutomationError&) {
            if (attempt == 3)
                throw;
        }
    }
}

void TestOffice::saveDeckOnce(const QString& pptPath, const char* password, int attempt) const {
    // A server of its own on a side pipe, so the office under test starts
    // fresh and its process count is not disturbed.
    ImpressServer::Settings side = settings();
    side.pipeName += QStringLiteral("-decks%1").arg(attempt);
    side.profileDir = m_temp.path() + QStringLiteral("/deck-maker%1").arg(attempt);
    side.startOnSharedPipe = true;
    ImpressServer server(side);
    server.start();
    auto connection = ImpressConnection::connect(side.officeDir, side.pipeName);
    try {
        store(*connection, pptPath, password);
    } catch (const uno::Exception& error) {
        server.kill();
        ImpressConnection::rethrow(error);
    } catch (...) {
        server.kill();
        throw;
    }
    try {
        connection->desktop()->terminate();
    } catch (const uno::Exception&) {
    }
    server.finish();
}

void TestOffice::store(ImpressConnection& connection, const QString& pptPath,
                       const char* password) {
    const QString source = sourceDir() + QStringLiteral("/tests/data/two-slides.fodp");
    auto document =
        uno::Reference<frame::XComponentLoader>(connection.desktop(), uno::UNO_QUERY_THROW)
            ->loadComponentFromURL(ImpressConnection::toOUString(connection.fileUrl(source)),
                                   "_blank", 0,
                                   ImpressConnection::properties(
                                       {ImpressConnection::property("Hidden", uno::Any(true))}));
    if (!document.is())
        throw AutomationError(QStringLiteral("test deck source did not load"));
    // The binary format cannot carry a password; a locked deck is an
    // encrypted OpenDocument presentation.
    auto options =
        password
            ? ImpressConnection::properties(
                  {ImpressConnection::property("FilterName", uno::Any(rtl::OUString("impress8"))),
                   ImpressConnection::property("Password",
                                               uno::Any(rtl::OUString::createFromAscii(password)))})
            : ImpressConnection::properties({ImpressConnection::property(
                  "FilterName", uno::Any(rtl::OUString("MS PowerPoint 97")))});
    uno::Reference<frame::XStorable>(document, uno::UNO_QUERY_THROW)
        ->storeToURL(ImpressConnection::toOUString(connection.fileUrl(pptPath)), options);
    uno::Reference<util::XCloseable>(document, uno::UNO_QUERY_THROW)->close(true);
}

QList<int> TestOffice::processes() const {
    QList<int> found;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        // Offices of this test listen on its pipe or on a private pipe made
        // from it; the deck maker's ("-decks...") is left out.
        static const QRegularExpression ours(QStringLiteral("pipe,name=(.*?)(-[0-9a-f]{32})?;"));
        const auto match = ours.match(QString::fromUtf8(cmdline.readAll()));
        if (match.hasMatch() && match.captured(1) == m_pipe)
            found.append(pid.toInt());
    }
    return found;
}

int TestOffice::processesLeft() const {
    return int(processes().size());
}

void TestOffice::killAll() const {
    for (const int pid : processes())
        ::kill(pid, SIGKILL);
}
