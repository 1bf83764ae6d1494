#include "app/batch/BatchRun.h"

#include "app/automation/HtmlPublisher.h"
#include "app/automation/ImpressServer.h"
#include "app/automation/PresentationServer.h"
#include "app/automation/ReaderPages.h"
#include "app/batch/ProgressLine.h"
#include "app/conversion/ArchiveIndex.h"
#include "app/conversion/ArchiveSearch.h"
#include "app/conversion/ConversionEngine.h"
#include "app/conversion/OutputLayout.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"
#include "platform/ReportableError.h"

#include <QCryptographicHash>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

BatchRun::BatchRun(BatchCommandLine options, QString successText,
                   ConversionPool::ServerFactory factory, Sinks sinks)
    : m_options(std::move(options)), m_successText(std::move(successText)),
      m_factory(std::move(factory)), m_sinks(std::move(sinks)) {}

int BatchRun::defaultJobs(int cores, qint64 availableBytes) {
    int jobs = std::max(1, cores);
    if (availableBytes >= 0)
        jobs = std::min<qint64>(jobs, availableBytes / ImpressServer::kMemoryLimit);
    return std::clamp(jobs, 1, BatchCommandLine::kMaxJobs);
}

qint64 BatchRun::availableMemory() {
    std::FILE* file = std::fopen("/proc/meminfo", "re");
    if (!file)
        return -1;
    char line[256];
    qint64 result = -1;
    while (std::fgets(line, sizeof line, file)) {
        long long kilobytes = 0;
        if (std::sscanf(line, "MemAvailable: %lld kB", &kilobytes) == 1) {
            result = qint64(kilobytes) * 1024;
            break;
        }
    }
    std::fclose(file);
    return result;
}

std::chrono::milliseconds BatchRun::elapsed() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 m_started);
}

int BatchRun::officesStarted() const {
    return m_pool ? m_pool->officesStarted() : 0;
}

void BatchRun::killOffices() {
    // First, so the decks the offices are cut short on are not marked done.
    if (m_claims)
        m_claims->abandon();
    if (m_pool)
        m_pool->killOffices();
}

QString BatchRun::progressText() const {
    return ProgressLine::format(m_done, m_total, m_failed, elapsed());
}

void BatchRun::listFile(const QString& path, FolderListing::Kind kind, int error) {
    const OutputLayout layout(m_options.folder, m_options.outputFolder, m_options.tree);
    if (!m_options.shard.contains(layout.relativePath(path)))
        return;
    ++m_done;
    const QString refusal = ConversionEngine::refusalFor(kind, error);
    m_failed += refusal.isEmpty() ? 0 : 1;
    m_sinks.logLine(ConversionEngine::printable(path + refusal));
}

void BatchRun::takeFile(const QString& path, FolderListing::Kind kind, int error) {
    if (!m_fatal.isEmpty())
        return;
    const OutputLayout layout(m_options.folder, m_options.outputFolder, m_options.tree);
    // Files of other shards belong to other machines: not even a line here.
    if (!m_options.shard.contains(layout.relativePath(path)))
        return;
    ++m_found;
    const QString page = layout.pageFor(path);
    if (kind != FolderListing::Kind::File)
        m_pool->submitLine(
            ConversionEngine::printable(path + ConversionEngine::refusalFor(kind, error)), false);
    else if (m_options.update && layout.isUpToDate(path)) {
        // Of runs sharing the tree, the one that claims the deck says so.
        DeckClaims::Outcome outcome = DeckClaims::Outcome::Mine;
        try {
            if (m_claims)
                outcome = m_claims->claim({layout.relativePath(path), path, page});
        } catch (const ReportableError& error) {
            m_fatal = error.message();
            if (m_walker)
                m_walker->requestStop();
        }
        if (outcome != DeckClaims::Outcome::Mine || !m_fatal.isEmpty()) {
            --m_found;
            return;
        }
        if (m_claims)
            m_claims->finish(layout.relativePath(path));
        m_pool->submitLine(ConversionEngine::printable(path + QLatin1String(kUpToDateText)), true);
    } else
        submitDeck(path, layout.folderFor(path), page);
    emitLines(std::chrono::milliseconds(0));
}

QByteArray BatchRun::contentKey(const QString& path) {
    const int fd = ::open(LocalPath::toNative(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), size_t(buffer.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return {};
        }
        if (n == 0)
            break;
        hash.addData(QByteArrayView(buffer.constData(), n));
    }
    ::close(fd);
    return hash.result();
}

void BatchRun::submitDeck(const QString& path, const QString& folder, const QString& page) {
    // A page about to be replaced by another deck's is nobody's model.
    const QByteArray before = m_contentOfPage.take(page);
    if (!before.isEmpty())
        m_pageOfContent.remove(before);
    const QByteArray key = contentKey(path);
    const QString sameAs = key.isEmpty() ? QString() : m_pageOfContent.value(key);
    m_pool->submit(path, folder, page, sameAs);
    if (!key.isEmpty() && sameAs.isEmpty()) {
        m_pageOfContent.insert(key, page);
        m_contentOfPage.insert(page, key);
    }
}

void BatchRun::emitLines(std::chrono::milliseconds wait) {
    const QList<ReorderBuffer::Line> lines = m_pool->takeReady(wait);
    QStringList notes;
    {
        const std::lock_guard lock(m_publishedMutex);
        notes.swap(m_notes);
    }
    for (const QString& note : std::as_const(notes))
        m_sinks.error(note);
    for (const ReorderBuffer::Line& line : lines) {
        // A deck another run converted: its line is in that run's log.
        if (line.text.isEmpty()) {
            --m_found;
            m_total -= m_total > 0 ? 1 : 0;
            continue;
        }
        ++m_done;
        m_failed += line.converted ? 0 : 1;
        m_sinks.logLine(line.text);
        m_sinks.progress(progressText());
    }
}

void BatchRun::resolveFolders() {
    // Relative texts are taken against the folder the run starts in.
    const QString base = ConversionEngine::currentFolder();
    m_options.folder = ConversionEngine::absolutePath(m_options.folder, base);
    m_options.outputFolder = ConversionEngine::absolutePath(m_options.outputFolder, base);
}

int BatchRun::run() {
    m_started = std::chrono::steady_clock::now();
    if (m_options.listOnly) {
        // open() resolves the folders for a run that converts.
        resolveFolders();
        ConversionEngine walker(nullptr);
        prepareWalker(walker);
        walker.setFileHandler([this](const QString& path, FolderListing::Kind kind, int error) {
            listFile(path, kind, error);
        });
        walker.WalkFolders(m_options.folder);
        m_total = m_done;
        return m_failed > 0 ? 1 : 0;
    }
    if (const int status = open(); status != 0)
        return status;
    walk();
    m_total = m_found;
    m_pool->close();
    m_sinks.progress(progressText());

    int status = 0;
    if (!m_fatal.isEmpty()) {
        m_sinks.error(m_fatal);
        status = 2;
    }
    while (status == 0 && !m_pool->finished()) {
        if (m_pool->failed()) {
            m_sinks.error(m_pool->failure());
            status = 2;
            break;
        }
        emitLines(std::chrono::milliseconds(200));
        if (m_sinks.idle)
            m_sinks.idle();
        m_sinks.progress(progressText());
    }
    m_pool->requestStop();
    m_pool->join();
    if (status == 0 && m_failed > 0)
        status = 1;
    // An update run adds what it published to the index; any other run has
    // the whole folder indexed again.
    if (m_options.index && status != 2)
        status = std::max(status, writeIndex(!m_options.update));
    return status;
}

int BatchRun::open() {
    if (m_started == std::chrono::steady_clock::time_point())
        m_started = std::chrono::steady_clock::now();
    resolveFolders();
    // Refused before any office starts: every deck would fail anyway.
    if (!PosixFiles::makePath(m_options.outputFolder)) {
        const int error = errno;
        m_sinks.error(QStringLiteral("Cannot make the output folder '%1': %2")
                          .arg(m_options.outputFolder,
                               PosixFiles::exists(m_options.outputFolder)
                                   ? QStringLiteral("a file of that name is in the way")
                                   : PosixFiles::errorText(error)));
        return 2;
    }
    HtmlPublisher::removeStaleStaging(m_options.outputFolder, HtmlPublisher::kStaleStagingAge);
    // Pages lead home to the front page this run makes, or one made before.
    ReaderPages::setArchive(m_options.outputFolder, m_options.index);
    if (!m_options.claimRun.isEmpty()) {
        try {
            m_claims = std::make_unique<DeckClaims>(
                m_options.outputFolder, m_options.claimRun,
                DeckClaims::expiryFrom(qgetenv("DECKVANE_CLAIM_EXPIRY")));
        } catch (const ReportableError& error) {
            m_sinks.error(error.message());
            return 2;
        }
    }
    makePool();
    return 0;
}

void BatchRun::makePool() {
    ConversionPool::Settings settings;
    settings.workers = m_options.jobs > 0 ? m_options.jobs : 1;
    settings.successText = m_successText;
    settings.outputRoot = m_options.outputFolder;
    settings.walkedFolder = m_options.folder;
    if (m_claims) {
        const OutputLayout layout(m_options.folder, m_options.outputFolder, m_options.tree);
        settings.claim = [this, layout](const QString& source) {
            return m_claims->claim({layout.relativePath(source), source, layout.pageFor(source)});
        };
        settings.claimDone = [this, layout](const QString& source, bool converted) {
            m_claims->finish(layout.relativePath(source), converted);
        };
    }
    settings.onNote = [this](const QString& note) {
        const std::lock_guard lock(m_publishedMutex);
        m_notes.append(note);
    };
    // Kept for the index only: a watcher without one would keep them all.
    if (m_options.index)
        settings.onConverted = [this](const QString& page) {
            const std::lock_guard lock(m_publishedMutex);
            m_published.append(page.mid(m_options.outputFolder.size() + 1));
        };
    settings.onStarted = m_sinks.deckStarted;
    if (m_sinks.deckDone)
        settings.onFinished = [done = m_sinks.deckDone](const QString& source,
                                                        const ReorderBuffer::Line& line) {
            done(source, line.converted, line.text);
        };
    // The offices see the decks and the pages only; links followed out of
    // the tree may lead anywhere, so then they see the whole system (still
    // read-only and without network).
    QStringList readable{m_options.folder, ConversionEngine::resolvedPath(m_options.folder)};
    if (m_options.followLinks)
        readable = {QStringLiteral("/")};
    const QStringList writable{m_options.outputFolder};
    m_pool = std::make_unique<ConversionPool>(settings, [this, readable, writable](int worker) {
        std::shared_ptr<PresentationServer> server = m_factory(worker);
        server->confine(readable, writable);
        return server;
    });
}

void BatchRun::prepareWalker(ConversionEngine& walker) {
    walker.setMaskTextSource([this] { return m_options.masks; });
    QObject::connect(&walker, &ConversionEngine::statusChanged,
                     [this](const QString& text) { m_sinks.status(text); });
    walker.setFollowLinksOut(m_options.followLinks);
    QObject::connect(&walker, &ConversionEngine::linkLeavesTree,
                     [this](const QString& path, const QString& target) {
                         m_sinks.error(ConversionEngine::printable(
                             QStringLiteral("%1 leads out of %2 (to %3) and is not followed "
                                            "(--follow-links follows it)")
                                 .arg(path, m_options.folder, target)));
                     });
}

void BatchRun::walk(const std::function<void(const QString& deck)>& seen) {
    ConversionEngine walker(nullptr);
    prepareWalker(walker);
    walker.setFileHandler([this, &seen](const QString& path, FolderListing::Kind kind, int error) {
        if (seen && kind == FolderListing::Kind::File)
            seen(path);
        takeFile(path, kind, error);
    });
    m_walker = &walker;
    walker.WalkFolders(m_options.folder);
    m_walker = nullptr;
}

void BatchRun::take(const QStringList& decks) {
    if (!m_pool)
        makePool();
    // Decks of one batch with the same bytes are converted once; a page of
    // an earlier batch may have been replaced or removed since.
    m_pageOfContent.clear();
    m_contentOfPage.clear();
    for (const QString& deck : decks)
        takeFile(deck, FolderListing::Kind::File, 0);
}

void BatchRun::collect(std::chrono::milliseconds wait) {
    if (m_pool)
        emitLines(wait);
}

bool BatchRun::officesFailed() const {
    return m_pool && m_pool->failed();
}

void BatchRun::releaseOffices() {
    if (!m_pool || pending() > 0)
        return;
    m_pool->close();
    m_pool->join();
    m_pool.reset();
}

int BatchRun::unindexed() {
    const std::lock_guard lock(m_publishedMutex);
    return int(m_published.size());
}

int BatchRun::writeIndex(bool whole, const QStringList& alsoPages) {
    QStringList pages;
    {
        const std::lock_guard lock(m_publishedMutex);
        pages.swap(m_published);
    }
    const qsizetype published = pages.size();
    pages += alsoPages;
    try {
        if (m_indexRenderer)
            ArchiveIndex::writeWith(m_options.outputFolder, m_indexRenderer);
        else if (whole)
            ArchiveSearch::rebuild(m_options.outputFolder, m_options.title);
        else
            ArchiveSearch::update(m_options.outputFolder, pages, m_options.title);
    } catch (const ReportableError& error) {
        m_sinks.error(error.message());
        // Left for the next index.
        const std::lock_guard lock(m_publishedMutex);
        m_published = pages.first(published) + m_published;
        return 1;
    }
    return 0;
}
