// deckvane-batch with the stand-in office of the tests: the same command
// line, run, publishing of pages and index, with no office behind it, each
// deck and each index taking a moment of its own (an index of a large
// archive takes long to render, and others publish meanwhile). For stress
// runs of many writers into one output folder (bench/index-stress.sh), and
// for watchers (--watch, the real index) in tests and bench/watch-soak.sh;
// never installed.

#include "app/batch/BatchCommandLine.h"
#include "app/batch/BatchRun.h"
#include "app/batch/BatchWatch.h"
#include "app/conversion/TerminationSignals.h"
#include "platform/LocalPath.h"
#include "tests/app/conversion/FakePresentationServer.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <random>
#include <thread>

namespace {

void writeLine(std::FILE* stream, const QString& text) {
    const QByteArray bytes = LocalPath::toNative(text) + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    BatchCommandLine options =
        BatchCommandLine::parse(BatchCommandLine::arguments(argc, argv), QDir::homePath());
    if (!options.error.isEmpty()) {
        writeLine(stderr, options.error);
        return 2;
    }
    if (options.jobs == 0)
        options.jobs = 2;
    BatchRun::Sinks sinks;
    sinks.logLine = [](const QString& line) {
        writeLine(stdout, line);
        std::fflush(stdout);
    };
    sinks.status = [](const QString&) {};
    sinks.progress = [](const QString&) {};
    sinks.error = [](const QString& text) { writeLine(stderr, text); };
    const auto factory = [](int) {
        auto server = std::make_shared<FakePresentationServer>();
        server->onOpen = [](const QString&) {
            thread_local std::mt19937 random{std::random_device{}()};
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        };
        return server;
    };
    if (options.watch) {
        BatchWatch watcher(options, QStringLiteral("OK"), factory, sinks);
        TerminationSignals::install(
            &app, [&watcher] { watcher.stop(); }, QStringLiteral("deckvane-batch"));
        return watcher.exec();
    }
    BatchRun run(options, QStringLiteral("OK"), factory, sinks);
    run.setIndexRenderer([](const QList<ArchiveIndex::Page>& pages) {
        std::mt19937 random{std::random_device{}()};
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 300));
        return QList<ArchiveIndex::File>{
            {QLatin1String(ArchiveIndex::kFileName), ArchiveIndex::render(pages)}};
    });
    return run.run();
}
