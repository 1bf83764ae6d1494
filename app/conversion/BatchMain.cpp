// deckvane-batch: the headless front end of the conversion engine.

#include "app/StringTable.h"
#include "app/automation/AutomationError.h"
#include "app/automation/ImpressServer.h"
#include "app/conversion/BatchCommandLine.h"
#include "app/conversion/ConversionEngine.h"
#include "platform/LocalPath.h"
#include "platform/SystemLanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int signal) {
    const char byte = char(signal);
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

void writeLine(std::FILE* stream, const QString& text) {
    const QByteArray bytes = LocalPath::toNative(text) + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

bool isFolder(const QString& path) {
    struct stat info {};
    return ::stat(LocalPath::toNative(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(LocalPath::fromNative(QByteArray(argv[i])));
    const BatchCommandLine options = BatchCommandLine::parse(arguments, QDir::homePath());
    if (options.help) {
        writeLine(stdout, BatchCommandLine::usage());
        return 0;
    }
    if (options.error.isEmpty() && !isFolder(options.folder))
        writeLine(stderr, QStringLiteral("deckvane-batch: %1 is not a folder").arg(options.folder));
    if (!options.error.isEmpty() || !isFolder(options.folder)) {
        if (!options.error.isEmpty())
            writeLine(stderr, QStringLiteral("deckvane-batch: ") + options.error);
        std::fputs(qPrintable(BatchCommandLine::usage()), stderr);
        return 2;
    }

    auto server = std::make_shared<ImpressServer>();
    ConversionEngine engine(server);
    engine.setMaskTextSource([&] { return options.masks; });
    engine.setOutputFolderSource([&] { return options.outputFolder; });
    // The same success text as the window shows in the system's language.
    engine.setSuccessText(
        StringTable::text(StringTable::languageBaseFor(SystemLanguage::defaultLanguageId()) +
                          StringTable::kDoneSuffix));

    // Interrupted: end the office first, so none outlives the program.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, [&] {
            char byte = 0;
            [[maybe_unused]] const auto got = ::read(signalPipe[1], &byte, 1);
            writeLine(stderr, QStringLiteral("deckvane-batch: interrupted"));
            server->kill();
            std::_Exit(128 + byte);
        });
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        std::signal(SIGHUP, onSignal);
    }

    int done = 0;
    int failed = 0;
    QElapsedTimer clock;
    clock.start();
    const auto progress = [&] {
        return QStringLiteral("%1 files, %2 failed, %3 s")
            .arg(done)
            .arg(failed)
            .arg(double(clock.elapsed()) / 1000.0, 0, 'f', 1);
    };
    QObject::connect(&engine, &ConversionEngine::logLine,
                     [](const QString& line) { writeLine(stdout, line); });
    QObject::connect(&engine, &ConversionEngine::statusChanged,
                     [](const QString& text) { writeLine(stderr, QStringLiteral("... ") + text); });
    QObject::connect(&engine, &ConversionEngine::fileFinished, [&](bool converted) {
        ++done;
        failed += converted ? 0 : 1;
        writeLine(stderr, QStringLiteral("[%1]").arg(progress()));
    });

    if (options.listOnly) {
        engine.setListOnly(true);
        engine.WalkFolders(options.folder);
        writeLine(stderr, QStringLiteral("Done: %1").arg(progress()));
        return 0;
    }
    try {
        ConversionEngine::CreateOutputFolder(options.outputFolder);
        engine.AttachOrStart();
        engine.MakeVisible();
    } catch (const AutomationError& error) {
        writeLine(stderr, QStringLiteral("deckvane-batch: ") + error.message());
        engine.Release();
        return 2;
    }
    engine.WalkFolders(options.folder);
    engine.Quit();
    engine.Release();
    const auto seconds = [](std::chrono::nanoseconds time) {
        return QString::number(std::chrono::duration<double>(time).count(), 'f', 2);
    };
    writeLine(stderr,
              QStringLiteral("Done: %1; waiting for LibreOffice %2 s, of which loading and "
                             "storing decks %3 s")
                  .arg(progress(), seconds(engine.serverTime()), seconds(engine.loadStoreTime())));
    return failed > 0 ? 1 : 0;
}
