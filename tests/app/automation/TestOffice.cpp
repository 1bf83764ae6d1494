#include "TestOffice.h"

#include "app/automation/AutomationError.h"
#include "app/automation/ImpressConnection.h"

#include <QDir>
#include <QFile>
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
    pipe_ = QStringLiteral("deckvane-test-%1-%2").arg(::getpid()).arg(counter++);
}

TestOffice::~TestOffice() = default;

QString TestOffice::sourceDir() {
    const QString dir = qEnvironmentVariable("DECKVANE_SOURCE_DIR");
    return dir.isEmpty() ? QDir::currentPath() : dir;
}

ImpressServer::Settings TestOffice::settings() const {
    ImpressServer::Settings settings = ImpressServer::defaultSettings();
    settings.pipeName = pipe_;
    settings.profileDir = temp_.path() + QStringLiteral("/profile");
    return settings;
}

std::shared_ptr<ImpressServer> TestOffice::makeServer() const {
    return std::make_shared<ImpressServer>(settings());
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
    side.profileDir += QStringLiteral("-decks%1").arg(attempt);
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
        // The trailing ";" keeps the side office (its pipe name extends
        // this one) out.
        if (cmdline.readAll().contains("pipe,name=" + pipe_.toUtf8() + ";"))
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
