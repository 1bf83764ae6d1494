#include "app/conversion/ConversionEngine.h"

#include "app/automation/AutomationError.h"
#include "app/automation/AutomationObject.h"
#include "app/automation/PresentationServer.h"
#include "app/conversion/MaskMatcher.h"
#include "app/conversion/ServerCallRunner.h"
#include "platform/PosixFiles.h"

#include <QCoreApplication>

namespace {
const QLatin1Char kSeparator('/');
} // namespace

ConversionEngine::ConversionEngine(std::shared_ptr<PresentationServer> server, QObject* parent)
    : QObject(parent), server_(std::move(server)),
      maskText_([] { return QString::fromLatin1(kDefaultMasks); }) {}

ConversionEngine::~ConversionEngine() {
    Release();
}

QStringList ConversionEngine::SplitString(const QString& text, const QString& separator) {
    if (text.isEmpty())
        return {};
    if (separator.isEmpty())
        return {text};
    return text.split(separator, Qt::KeepEmptyParts);
}

QString ConversionEngine::trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

QString ConversionEngine::baseName(const QString& name) {
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.left(dot);
}

void ConversionEngine::CreateOutputFolder(const QString& text) {
    if (text.isEmpty())
        throw AutomationError(QStringLiteral("Unable to create directory"));
    PosixFiles::makePath(text);
}

template <typename R>
R ConversionEngine::serverCall(std::function<R()> job, Clock::time_point deadline, bool loadStore) {
    const auto limit = std::chrono::duration_cast<std::chrono::seconds>(
        std::max(deadline - Clock::now(), Clock::duration::zero()));
    const Clock::time_point started = Clock::now();
    struct Tally {
        ConversionEngine* engine;
        Clock::time_point started;
        bool loadStore;
        ~Tally() {
            const auto spent = Clock::now() - started;
            engine->serverTime_ += spent;
            if (loadStore)
                engine->loadStoreTime_ += spent;
        }
    } tally{this, started, loadStore};
    return ServerCallRunner::run<R>(
        std::move(job), deadline, [this] { server_->kill(); },
        QStringLiteral("LibreOffice gave no answer within %1 seconds and was stopped")
            .arg(limit.count()));
}

void ConversionEngine::AttachOrStart() {
    auto server = server_;
    application_ = serverCall<AutomationObjectPtr>(
        [server] {
            try {
                return server->attach();
            } catch (const AutomationError&) {
                return server->start();
            }
        },
        serverDeadline());
}

void ConversionEngine::MakeVisible() {
    auto application = application_;
    serverCall<bool>(
        [application] {
            AutomationObject::toObject(application, QStringLiteral("application"))
                ->put(QStringLiteral("visible"), true);
            return true;
        },
        serverDeadline());
}

void ConversionEngine::WalkFolders(const QString& folder) {
    if (depth_ == 0)
        visited_.clear();
    walk(folder);
}

void ConversionEngine::walk(const QString& folder) {
    FolderListing listing;
    if (!listing.read(folder))
        return;
    // Symbolic links may lead back into the tree; a folder reached a second
    // time is not walked again, which also ends any loop.
    const QPair<dev_t, ino_t> identity(listing.device(), listing.inode());
    if (visited_.contains(identity))
        return;
    visited_.insert(identity);
    ++depth_;
    scan(folder, listing.entries());
    for (const FolderListing::Entry& entry : listing.entries()) {
        if (stopRequested_)
            break;
        if (entry.kind != FolderListing::Kind::Folder || FolderListing::isHidden(entry.name))
            continue;
        const QString subfolder = folder + kSeparator + entry.name;
        emit statusChanged(subfolder);
        walk(subfolder);
        pumpEvents();
    }
    --depth_;
}

void ConversionEngine::ScanFolder(const QString& folder) {
    FolderListing listing;
    if (listing.read(folder))
        scan(folder, listing.entries());
}

void ConversionEngine::scan(const QString& folder, const QList<FolderListing::Entry>& entries) {
    const QStringList masks = SplitString(trimBlanks(maskText_()), QStringLiteral(","));
    for (const QString& mask : masks) {
        emit statusChanged(folder + kSeparator + mask);
        pumpEvents();
        for (const FolderListing::Entry& entry : entries) {
            if (entry.kind == FolderListing::Kind::Folder ||
                !MaskMatcher::matches(mask, entry.name))
                continue;
            pumpEvents();
            if (stopRequested_)
                return;
            const QString path = folder + kSeparator + entry.name;
            emit statusChanged(path);
            // Opening a FIFO would block and a device may have side effects:
            // only regular files are handed to the server.
            if (entry.kind == FolderListing::Kind::Other)
                log(path, QStringLiteral("Not a regular file"), false);
            else if (entry.kind == FolderListing::Kind::Missing)
                log(path, QStringLiteral("The link leads nowhere"), false);
            else if (listOnly_)
                log(path, QString(), true);
            else
                ConvertFile(path);
        }
    }
}

void ConversionEngine::ConvertFile(const QString& sourcePath) {
    try {
        convert(sourcePath);
        log(sourcePath, successText_, true);
    } catch (const AutomationError& error) {
        log(sourcePath, error.message(), false);
    } catch (const std::exception& error) {
        log(sourcePath, QString::fromLocal8Bit(error.what()), false);
    } catch (...) {
        log(sourcePath, QStringLiteral("Unknown error"), false);
    }
}

void ConversionEngine::convert(const QString& sourcePath) {
    replaceDeadServer();
    const Clock::time_point deadline = Clock::now() + fileTimeLimit_;
    auto application = AutomationObject::toObject(application_, QStringLiteral("application"));
    auto presentation = serverCall<AutomationObjectPtr>(
        [application, sourcePath] {
            auto presentations = AutomationObject::toObject(
                application->get(QStringLiteral("Presentations")), QStringLiteral("presentations"));
            return AutomationObject::toObject(
                presentations->call(QStringLiteral("Open"), {sourcePath}),
                QStringLiteral("presentation"));
        },
        deadline, true);
    try {
        const QString name = serverCall<QString>(
            [presentation] {
                return AutomationObject::toText(presentation->get(QStringLiteral("name")),
                                                QStringLiteral("name"));
            },
            deadline);
        const QString outputPath =
            outputFolder_() + kSeparator + baseName(name) + QStringLiteral(".htm");
        serverCall<bool>(
            [presentation, outputPath] {
                presentation->call(QStringLiteral("SaveAs"),
                                   {outputPath, qint32(kHtmlFormat), false});
                presentation->call(QStringLiteral("Close"));
                return true;
            },
            deadline, true);
    } catch (const AutomationError&) {
        // Leaving a failed deck open would pile them up in the server for
        // the rest of the run.
        if (server_->alive()) {
            try {
                serverCall<bool>(
                    [presentation] {
                        presentation->call(QStringLiteral("Close"));
                        return true;
                    },
                    Clock::now() + std::chrono::seconds(30));
            } catch (const AutomationError&) {
            }
        }
        throw;
    }
}

void ConversionEngine::replaceDeadServer() {
    if (application_ && server_->alive())
        return;
    auto server = server_;
    application_.reset();
    server->kill();
    application_ =
        serverCall<AutomationObjectPtr>([server] { return server->start(); }, serverDeadline());
    MakeVisible();
}

void ConversionEngine::Quit() {
    if (!application_)
        return;
    auto application = application_;
    auto server = server_;
    try {
        serverCall<bool>(
            [application, server] {
                if (server->alive())
                    application->call(QStringLiteral("Quit"));
                return true;
            },
            serverDeadline());
    } catch (const AutomationError&) {
        // Whatever the quit said, finish() below makes sure the server ends.
    }
    serverCall<bool>(
        [server] {
            server->finish();
            return true;
        },
        serverDeadline());
}

void ConversionEngine::Release() {
    application_.reset();
    if (server_)
        server_->kill();
}

void ConversionEngine::log(const QString& sourcePath, const QString& message, bool converted) {
    emit logLine(sourcePath + message);
    emit fileFinished(converted);
}

void ConversionEngine::pumpEvents() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}
