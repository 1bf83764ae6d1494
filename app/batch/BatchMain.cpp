// deckvane-batch: the headless front end of the conversion engine.

#include "app/automation/ImpressServer.h"
#include "app/batch/BatchCommandLine.h"
#include "app/batch/BatchRun.h"
#include "app/batch/BatchWatch.h"
#include "app/batch/StartOnlyServer.h"
#include "app/conversion/TerminationSignals.h"
#include "platform/LocalPath.h"
#include "platform/SystemLanguage.h"
#include "strings/StringTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#ifndef DECKVANE_VERSION
#define DECKVANE_VERSION "unknown"
#endif

namespace {

// False when the line did not get out (a full disk, a closed pipe).
bool writeLine(std::FILE* stream, const QString& text) {
    const QByteArray bytes = LocalPath::toNative(text) + '\n';
    const bool written =
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size());
    return std::fflush(stream) == 0 && written;
}

bool isFolder(const QString& path) {
    struct stat info {};
    return ::stat(LocalPath::toNative(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Every office is one the run starts, locked down, with a pipe and a
// profile of its own. With --attach, worker 0 attaches to an office the
// user runs on the per-user pipe instead, as the window does; the others
// never share the user's office.
std::shared_ptr<PresentationServer> makeServer(int worker, bool attach) {
    auto server = std::make_shared<ImpressServer>();
    if (worker == 0 && attach)
        return server;
    return std::make_shared<StartOnlyServer>(server);
}

// On a terminal the progress is one line rewritten in place; elsewhere
// (a log file, a pipe) it is a line per file, as before.
class ProgressOutput {
public:
    explicit ProgressOutput(bool terminal) : m_terminal(terminal) {}

    void show(const QString& text) {
        if (!m_terminal || (m_shown && text == m_last))
            return;
        m_last = text;
        const QByteArray bytes = "\r" + LocalPath::toNative(text) + "\x1b[K";
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
        std::fflush(stderr);
        m_shown = true;
    }
    void perFile(const QString& text) {
        if (!m_terminal)
            writeLine(stderr, QStringLiteral("[%1]").arg(text));
    }
    // Clears the line before other text goes to the terminal.
    void clear() {
        if (m_terminal && m_shown) {
            std::fputs("\r\x1b[K", stderr);
            std::fflush(stderr);
            m_shown = false;
        }
    }
    bool terminal() const { return m_terminal; }

private:
    bool m_terminal;
    bool m_shown = false;
    QString m_last;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = BatchCommandLine::arguments(argc, argv);
    if (arguments.mid(0, arguments.indexOf(QStringLiteral("--")))
            .contains(QStringLiteral("--version"))) {
        writeLine(stdout, QStringLiteral("deckvane-batch " DECKVANE_VERSION));
        return 0;
    }
    BatchCommandLine options = BatchCommandLine::parse(arguments, QDir::homePath());
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
    if (options.jobs == 0)
        options.jobs =
            BatchRun::defaultJobs(QThread::idealThreadCount(), BatchRun::availableMemory());

    ProgressOutput progress(::isatty(STDERR_FILENO) == 1);
    bool lineDue = false;
    int logError = 0; // why the log stopped reaching standard output
    BatchRun::Sinks sinks;
    sinks.logLine = [&](const QString& line) {
        progress.clear();
        if (!writeLine(stdout, line) && logError == 0)
            logError = errno != 0 ? errno : EIO;
        lineDue = true;
    };
    // A watcher's log is read in a journal: one line per deck there, and
    // nothing of where its walks are.
    const bool watch = options.watch;
    sinks.status = [&](const QString& text) {
        if (!progress.terminal() && !watch)
            writeLine(stderr, QStringLiteral("... ") + text);
    };
    sinks.error = [&](const QString& text) {
        progress.clear();
        writeLine(stderr, QStringLiteral("deckvane-batch: ") + text);
    };
    sinks.progress = [&](const QString& text) {
        if (lineDue && !watch)
            progress.perFile(text);
        lineDue = false;
        progress.show(text);
    };
    sinks.idle = [] { QCoreApplication::processEvents(); };

    // The same success text as the window shows in the system's language.
    const QString successText =
        StringTable::text(StringTable::languageBaseFor(SystemLanguage::defaultLanguageId()) +
                          StringTable::kDoneSuffix);
    const auto factory = [attach = options.attach](int worker) {
        return makeServer(worker, attach);
    };
    if (watch) {
        BatchWatch watcher(options, successText, factory, sinks);
        TerminationSignals::install(
            &app, [&watcher] { watcher.stop(); }, QStringLiteral("deckvane-batch"));
        return watcher.exec();
    }
    BatchRun run(options, successText, factory, sinks);

    TerminationSignals::install(
        &app, [&run] { run.killOffices(); }, QStringLiteral("deckvane-batch"));

    int status = run.run();
    progress.clear();
    // A log that never arrived is no success, whatever was converted.
    if (logError != 0) {
        writeLine(stderr, QStringLiteral("deckvane-batch: the log could not be written to "
                                         "standard output: %1")
                              .arg(QString::fromLocal8Bit(std::strerror(logError))));
        status = std::max(status, 1);
    }
    const QString summary = QStringLiteral("%1 files, %2 failed, %3 s")
                                .arg(run.done())
                                .arg(run.failed())
                                .arg(double(run.elapsed().count()) / 1000.0, 0, 'f', 1);
    if (options.listOnly || !run.pool()) {
        writeLine(stderr, QStringLiteral("Done: ") + summary);
        return status;
    }
    const int offices = run.officesStarted();
    const auto seconds = [](std::chrono::nanoseconds time) {
        return QString::number(std::chrono::duration<double>(time).count(), 'f', 2);
    };
    writeLine(stderr,
              QStringLiteral("Done: %1 with %2 (%3 replaced when worn); waiting "
                             "for LibreOffice %4 s, of which loading and storing decks "
                             "%5 s; publishing the pages %6 s; waiting for the slide pictures "
                             "%7 s")
                  .arg(summary)
                  .arg(offices == 0   ? QStringLiteral("no office")
                       : offices == 1 ? QStringLiteral("1 office")
                                      : QStringLiteral("%1 offices").arg(offices))
                  .arg(run.pool()->serversReplaced())
                  .arg(seconds(run.pool()->serverTime()), seconds(run.pool()->loadStoreTime()),
                       seconds(run.pool()->publishTime()), seconds(run.pool()->drawWaitTime())));
    return status;
}
