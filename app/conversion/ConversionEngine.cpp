#include "app/conversion/ConversionEngine.h"

#include "app/automation/AutomationError.h"
#include "app/automation/AutomationObject.h"
#include "app/automation/HtmlPublisher.h"
#include "app/automation/PresentationServer.h"
#include "app/conversion/MaskMatcher.h"
#include "app/conversion/ServerCallRunner.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {
const QLatin1Char kSeparator('/');
} // namespace

ConversionEngine::ConversionEngine(std::shared_ptr<PresentationServer> server, QObject* parent)
    : QObject(parent), m_server(std::move(server)),
      m_maskText([] { return QString::fromLatin1(kDefaultMasks); }) {}

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

QString ConversionEngine::leftOutMessage(const QString& sourcePath, const QStringList& names) {
    return printable(QStringLiteral("%1: not published, as no export makes it for a deck: %2")
                         .arg(sourcePath, names.join(QStringLiteral(", "))));
}

QString ConversionEngine::noteName(const QString& sourcePath, const QString& walkedFolder) {
    const QString inside =
        walkedFolder.endsWith(kSeparator) ? walkedFolder : walkedFolder + kSeparator;
    if (!walkedFolder.isEmpty() && sourcePath.startsWith(inside) &&
        sourcePath.size() > inside.size())
        return sourcePath.mid(inside.size());
    return LocalPath::fileName(sourcePath);
}

QString ConversionEngine::absolutePath(const QString& text, const QString& base) {
    if (text.isEmpty() || text.startsWith(kSeparator))
        return text;
    QString result = base;
    for (const QString& part : text.split(kSeparator, Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (!result.endsWith(kSeparator))
            result += kSeparator;
        result += part;
    }
    return result;
}

QString ConversionEngine::currentFolder() {
    QByteArray buffer(4096, '\0');
    while (!::getcwd(buffer.data(), size_t(buffer.size()))) {
        if (errno != ERANGE)
            return QStringLiteral("/");
        buffer.resize(buffer.size() * 2);
    }
    return LocalPath::fromNative(QByteArray(buffer.constData()));
}

QString ConversionEngine::outputFolder() const {
    return m_runBase.isEmpty() ? m_outputFolder() : absolutePath(m_outputFolder(), m_runBase);
}

void ConversionEngine::Run(const QString& folder, const RunHooks& hooks) {
    m_runBase = currentFolder();
    const QString start = absolutePath(folder, m_runBase);
    struct EndOfRun {
        ConversionEngine* engine;
        ~EndOfRun() {
            engine->Release();
            engine->m_runBase.clear();
        }
    } endOfRun{this};
    if (m_listOnly) {
        WalkFolders(start);
        return;
    }
    const QString output = outputFolder();
    CreateOutputFolder(output);
    setRunFolders(start, output);
    HtmlPublisher::removeStaleStaging(output, HtmlPublisher::kStaleStagingAge);
    // An office started for the run sees the decks and the pages only.
    if (m_server)
        m_server->confine({start, resolvedPath(start)}, {output});
    AttachOrStart();
    MakeVisible();
    if (hooks.serverReady)
        hooks.serverReady();
    WalkFolders(start);
    if (hooks.walkDone)
        hooks.walkDone();
    Quit();
}

void ConversionEngine::CreateOutputFolder(const QString& text) {
    if (text.isEmpty())
        throw FileError(QStringLiteral("Unable to create directory"));
    PosixFiles::makePath(text);
}

template <typename R>
R ConversionEngine::serverCall(std::function<R()> job, Clock::time_point deadline,
                               std::chrono::milliseconds limit, bool loadStore) {
    const Clock::time_point started = Clock::now();
    struct Tally {
        ConversionEngine* engine;
        Clock::time_point started;
        bool loadStore;
        ~Tally() {
            const auto spent = Clock::now() - started;
            engine->m_serverTime += spent;
            if (loadStore)
                engine->m_loadStoreTime += spent;
        }
    } tally{this, started, loadStore};
    return ServerCallRunner::run<R>(
        std::move(job), deadline, [this] { m_server->kill(); },
        QStringLiteral("LibreOffice gave no answer within %1 seconds and was stopped")
            .arg(double(limit.count()) / 1000.0));
}

void ConversionEngine::AttachOrStart() {
    auto server = m_server;
    m_filesOnServer = 0;
    m_application = serverCall<AutomationObjectPtr>([server] {
        try {
            return server->attach();
        } catch (const AutomationError&) {
            return server->start();
        }
    });
}

void ConversionEngine::MakeVisible() {
    auto application = m_application;
    serverCall<bool>([application] {
        AutomationObject::toObject(application, QStringLiteral("application"))
            ->put(QStringLiteral("visible"), true);
        return true;
    });
}

QString ConversionEngine::resolvedPath(const QString& path) {
    char* real = ::realpath(LocalPath::toNative(path).constData(), nullptr);
    if (!real)
        return QString();
    const QString result = LocalPath::fromNative(QByteArray(real));
    std::free(real);
    return result;
}

void ConversionEngine::WalkFolders(const QString& folder) {
    if (m_depth == 0) {
        m_visited.clear();
        m_treeRoot = resolvedPath(folder);
    }
    walk(folder);
}

QList<FolderListing::Entry>
ConversionEngine::entriesInTree(const QString& folder, const QList<FolderListing::Entry>& entries) {
    if (m_followLinksOut || m_treeRoot.isEmpty())
        return entries;
    const QString inside = m_treeRoot.endsWith(kSeparator) ? m_treeRoot : m_treeRoot + kSeparator;
    QList<FolderListing::Entry> kept;
    kept.reserve(entries.size());
    for (const FolderListing::Entry& entry : entries) {
        if (entry.link && entry.kind != FolderListing::Kind::Missing) {
            const QString path = folder + kSeparator + entry.name;
            const QString target = resolvedPath(path);
            if (!target.isEmpty() && target != m_treeRoot && !target.startsWith(inside)) {
                emit linkLeavesTree(path, target);
                continue;
            }
        }
        kept.append(entry);
    }
    return kept;
}

void ConversionEngine::walk(const QString& folder) {
    FolderListing listing;
    if (!listing.read(folder)) {
        // A folder the walk cannot enter is a failure of its own, not
        // silence: its decks are not converted. One removed since it was
        // listed had none left.
        if (listing.error() == ENOENT)
            return;
        if (m_fileHandler)
            m_fileHandler(folder, FolderListing::Kind::Unreadable, listing.error());
        else
            log(folder, refusalFor(FolderListing::Kind::Unreadable, listing.error()), false);
        return;
    }
    // Symbolic links may lead back into the tree; a folder reached a second
    // time is not walked again, which also ends any loop.
    const QPair<dev_t, ino_t> identity(listing.device(), listing.inode());
    if (m_visited.contains(identity))
        return;
    // A link to "/" must not lead the walk through the kernel's own file
    // systems (other processes' folders under /proc, devices under /dev);
    // only a start folder chosen there is walked.
    if (m_depth > 0 && listing.onPseudoFileSystem())
        return;
    m_visited.insert(identity);
    ++m_depth;
    const QList<FolderListing::Entry> entries = entriesInTree(folder, listing.entries());
    scan(folder, entries);
    for (const FolderListing::Entry& entry : entries) {
        if (m_stopRequested)
            break;
        if (entry.kind != FolderListing::Kind::Folder || FolderListing::isHidden(entry.name))
            continue;
        const QString subfolder = folder + kSeparator + entry.name;
        emit statusChanged(printable(subfolder));
        walk(subfolder);
        pumpEvents();
    }
    --m_depth;
}

void ConversionEngine::ScanFolder(const QString& folder) {
    FolderListing listing;
    if (listing.read(folder))
        scan(folder, listing.entries());
}

void ConversionEngine::scan(const QString& folder, const QList<FolderListing::Entry>& entries) {
    const QStringList masks = SplitString(trimBlanks(m_maskText()), QStringLiteral(","));
    // Masks may overlap ("*.ppt,*.PPT"): a file is taken once, for the first
    // mask it matches.
    QSet<QString> taken;
    for (const QString& mask : masks) {
        emit statusChanged(printable(folder + kSeparator + mask));
        pumpEvents();
        for (const FolderListing::Entry& entry : entries) {
            if (entry.kind == FolderListing::Kind::Folder || taken.contains(entry.name) ||
                !MaskMatcher::matches(mask, entry.name))
                continue;
            taken.insert(entry.name);
            pumpEvents();
            if (m_stopRequested)
                return;
            const QString path = folder + kSeparator + entry.name;
            emit statusChanged(printable(path));
            // Opening a FIFO would block and a device may have side effects:
            // only regular files are handed to the server.
            if (m_fileHandler)
                m_fileHandler(path, entry.kind, 0);
            else if (entry.kind != FolderListing::Kind::File)
                log(path, refusalFor(entry.kind), false);
            else if (m_listOnly)
                log(path, QString(), true);
            else
                ConvertFile(path);
        }
    }
}

QString ConversionEngine::refusalFor(FolderListing::Kind kind, int error) {
    switch (kind) {
    case FolderListing::Kind::Other:
        return QStringLiteral("Not a regular file");
    case FolderListing::Kind::Missing:
        return QStringLiteral("The link leads nowhere");
    case FolderListing::Kind::Unreadable:
        return QStringLiteral("Cannot read the folder: %1").arg(PosixFiles::errorText(error));
    default:
        return QString();
    }
}

void ConversionEngine::ConvertFile(const QString& sourcePath) {
    if (BeginFile(sourcePath))
        EndFile(true);
}

bool ConversionEngine::attempt(const QString& sourcePath, const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const ReportableError& error) {
        log(sourcePath, error.message(), false);
    } catch (const std::exception& error) {
        log(sourcePath, QString::fromLocal8Bit(error.what()), false);
    } catch (...) {
        log(sourcePath, QStringLiteral("Unknown error"), false);
    }
    return false;
}

bool ConversionEngine::BeginFile(const QString& sourcePath) {
    const QString folder = outputFolder();
    const size_t pendingBefore = m_pending.size();
    if (!attempt(sourcePath, [&] { convert(sourcePath, folder, true); }))
        return false;
    if (m_pending.size() > pendingBefore)
        return true;
    log(sourcePath, m_successText, true);
    return false;
}

void ConversionEngine::EndFile(bool mayExportAgain) {
    if (m_pending.empty())
        return;
    Pending pending = std::move(m_pending.front());
    m_pending.pop_front();
    const bool published = attempt(pending.source, [&] {
        bool whole = false;
        {
            const Clock::time_point waiting = Clock::now();
            const auto tally = qScopeGuard([&] { m_drawWaitTime += Clock::now() - waiting; });
            whole = pending.publisher->finishPictures();
        }
        if (whole) {
            publish(pending.source, *pending.publisher);
            return;
        }
        // The pictures could not be drawn: the office exports the deck again
        // with pictures of its own, once this export's staging and
        // reservation are given up.
        pending.publisher.reset();
        if (!mayExportAgain)
            throw AutomationError(QStringLiteral("The slide pictures could not be made"));
        convert(pending.source, pending.folder, false);
    });
    if (published)
        log(pending.source, m_successText, true);
}

void ConversionEngine::convert(const QString& sourcePath, const QString& folder, bool draw) {
    // The office says only that it cannot read a deck it may not open;
    // the system says why.
    const int fd =
        ::open(LocalPath::toNative(sourcePath).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw FileError(
            QStringLiteral("Cannot read the file: %1").arg(PosixFiles::errorText(errno)));
    ::close(fd);
    replaceWornServer();
    replaceDeadServer();
    ++m_filesOnServer;
    const Clock::time_point deadline = Clock::now() + m_fileTimeLimit;
    auto application = AutomationObject::toObject(m_application, QStringLiteral("application"));
    auto presentation = serverCall<AutomationObjectPtr>(
        [application, sourcePath] {
            auto presentations = AutomationObject::toObject(
                application->get(QStringLiteral("Presentations")), QStringLiteral("presentations"));
            return AutomationObject::toObject(
                presentations->call(QStringLiteral("Open"), {sourcePath}),
                QStringLiteral("presentation"));
        },
        deadline, m_fileTimeLimit, true);
    std::shared_ptr<HtmlPublisher> publisher;
    try {
        const QString name = serverCall<QString>(
            [presentation] {
                return AutomationObject::toText(presentation->get(QStringLiteral("name")),
                                                QStringLiteral("name"));
            },
            deadline, m_fileTimeLimit);
        const QString outputPath = folder + kSeparator + baseName(name) + QStringLiteral(".htm");
        // The office exports into staging the run holds; the publishing,
        // the cleaning above all, is Deckvane's own time, not the office's.
        QString root = m_outputRoot.isEmpty() ? folder : m_outputRoot;
        if (!outputPath.startsWith(root + kSeparator))
            root = folder;
        publisher = HtmlPublisher::reserve(root, outputPath.mid(root.size() + 1));
        publisher->setDrawPictures(draw);
        serverCall<bool>(
            [presentation, outputPath] {
                presentation->call(QStringLiteral("SaveAs"),
                                   {outputPath, qint32(kHtmlFormat), false});
                presentation->call(QStringLiteral("Close"));
                return true;
            },
            deadline, m_fileTimeLimit, true);
    } catch (const ReportableError&) {
        // Leaving a failed deck open would pile them up in the server for
        // the rest of the run.
        if (m_server->alive()) {
            try {
                serverCall<bool>(
                    [presentation] {
                        presentation->call(QStringLiteral("Close"));
                        return true;
                    },
                    Clock::now() + std::chrono::seconds(30), std::chrono::seconds(30));
            } catch (const AutomationError&) {
            }
        }
        throw;
    }
    if (publisher->picturesPending()) {
        m_pending.push_back({sourcePath, folder, std::move(publisher)});
        return;
    }
    publish(sourcePath, *publisher);
}

void ConversionEngine::publish(const QString& sourcePath, HtmlPublisher& publisher) {
    const Clock::time_point publishing = Clock::now();
    const auto tally = qScopeGuard([&] { m_publishTime += Clock::now() - publishing; });
    publisher.commit(sourcePath, noteName(sourcePath, m_walkedFolder));
    if (!publisher.leftOut().isEmpty())
        emit filesLeftOut(sourcePath, publisher.leftOut());
}

void ConversionEngine::replaceDeadServer() {
    if (m_application && m_server->alive())
        return;
    auto server = m_server;
    m_application.reset();
    server->kill();
    m_filesOnServer = 0;
    m_application = serverCall<AutomationObjectPtr>([server] { return server->start(); });
    MakeVisible();
}

// An office grows with every deck it converts; one this engine started is
// quit between two files once it is worn, and replaceDeadServer() starts
// the next. An office the user runs is never replaced.
void ConversionEngine::replaceWornServer() {
    if (!m_application || !m_server->startedHere() || !m_server->alive() ||
        !m_recyclePolicy.due(m_filesOnServer, m_server->residentBytes()))
        return;
    quitServer();
    m_application.reset();
    ++m_serversReplaced;
}

void ConversionEngine::Quit() {
    if (!m_application)
        return;
    quitServer();
}

void ConversionEngine::quitServer() {
    auto application = m_application;
    auto server = m_server;
    try {
        serverCall<bool>([application, server] {
            if (server->alive())
                application->call(QStringLiteral("Quit"));
            return true;
        });
    } catch (const AutomationError&) {
        // Whatever the quit said, finish() below makes sure the server ends.
    }
    serverCall<bool>([server] {
        server->finish();
        return true;
    });
}

void ConversionEngine::Release() {
    m_application.reset();
    if (m_server)
        m_server->kill();
}

QString ConversionEngine::printable(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u != 0x7F && !(u >= 0x80 && u <= 0x9F) && u != 0x2028 && u != 0x2029) {
            out.append(c);
            continue;
        }
        switch (u) {
        case '\n':
            out.append(QLatin1String("\\n"));
            break;
        case '\r':
            out.append(QLatin1String("\\r"));
            break;
        case '\t':
            out.append(QLatin1String("\\t"));
            break;
        default:
            out.append(u > 0xFF ? QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'))
                                : QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0')));
        }
    }
    return out;
}

void ConversionEngine::log(const QString& sourcePath, const QString& message, bool converted) {
    const QString text = converted || !m_failureText ? message : m_failureText(message);
    emit logLine(printable(sourcePath + text));
    emit fileFinished(converted);
}

void ConversionEngine::pumpEvents() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}
