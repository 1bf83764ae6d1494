#include "app/batch/BatchWatch.h"

#include "app/conversion/ConversionEngine.h"
#include "app/conversion/MaskMatcher.h"
#include "app/conversion/PageRemoval.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"
#include "platform/ReportableError.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <algorithm>
#include <cstring>
#include <malloc.h>

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

milliseconds fromSeconds(double seconds) {
    return milliseconds(qint64(seconds * 1000));
}

QString folders(int count) {
    return count == 1 ? QStringLiteral("1 folder") : QStringLiteral("%1 folders").arg(count);
}

milliseconds warmTime() {
    bool ok = false;
    const double seconds = qEnvironmentVariable("DECKVANE_OFFICE_WARM").toDouble(&ok);
    return ok && seconds >= 0 ? fromSeconds(seconds) : milliseconds(BatchWatch::kWarmTime);
}

} // namespace

BatchWatch::BatchWatch(BatchCommandLine options, QString successText,
                       ConversionPool::ServerFactory factory, BatchRun::Sinks sinks)
    : m_sinks(std::move(sinks)), m_settler(fromSeconds(options.settleSeconds)), m_warm(warmTime()) {
    BatchRun::Sinks runSinks = m_sinks;
    // A deck that fails is remembered as it was when its office took it:
    // changed since, it is tried again.
    runSinks.deckStarted = [this](const QString& source) {
        const DeckSettler::Look look = DeckSettler::look(source);
        const std::lock_guard lock(m_mutex);
        m_converting.insert(source, look);
    };
    runSinks.deckDone = [this](const QString& source, bool converted, const QString& line) {
        const std::lock_guard lock(m_mutex);
        m_finished.append({source, converted, line});
    };
    m_run = std::make_unique<BatchRun>(std::move(options), std::move(successText),
                                       std::move(factory), runSinks);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &BatchWatch::step);
}

BatchWatch::~BatchWatch() = default;

void BatchWatch::say(const QString& text) {
    m_sinks.error(ConversionEngine::printable(text));
}

bool BatchWatch::below(const QString& path, const QString& folder) const {
    return path.size() > folder.size() && path.startsWith(folder) &&
           path.at(folder.size()) == QLatin1Char('/');
}

bool BatchWatch::isDeck(const QString& path) const {
    const QString name = LocalPath::fileName(path);
    return m_run->options().shard.contains(m_layout->relativePath(path)) &&
           std::any_of(m_masks.begin(), m_masks.end(),
                       [&name](const QString& mask) { return MaskMatcher::matches(mask, name); });
}

int BatchWatch::exec() {
    if (const int status = m_run->open(); status != 0)
        return status;
    const BatchCommandLine& options = m_run->options();
    m_layout.emplace(options.folder, options.outputFolder, options.tree);
    m_masks = ConversionEngine::SplitString(ConversionEngine::trimBlanks(options.masks),
                                            QStringLiteral(","));
    if (options.statusFile.isEmpty()) {
        m_statusFolder = options.outputFolder;
        m_statusFile = WatchStatus::defaultFile();
    } else {
        const QString path =
            ConversionEngine::absolutePath(options.statusFile, ConversionEngine::currentFolder());
        m_statusFolder = path.section(QLatin1Char('/'), 0, -2);
        m_statusFile = LocalPath::fileName(path);
    }
    m_status.folder = options.folder;
    m_status.outputFolder = options.outputFolder;
    // Watched before the walk, so what changes while it goes is seen.
    startWatching();
    m_run->walk([this](const QString& deck) { m_known.insert(deck); });
    const auto now = Clock::now();
    m_lastWork = now;
    m_nextRescan = now + m_rescanEvery;
    // Decks that went while no watcher looked: their pages go too, unless
    // the tree looks empty, as a share that is not mounted does.
    if (!options.keepRemoved) {
        QStringList gone;
        for (const ArchiveIndex::Page& page : ArchiveIndex::scan(options.outputFolder)) {
            // Notes name decks below the tree they came from; a page this
            // watcher would not have put where it is, or whose deck's folder
            // is not in this tree, came from another tree.
            const QString deck = page.source.startsWith(QLatin1Char('/'))
                                     ? page.source
                                     : options.folder + QLatin1Char('/') + page.source;
            if (!page.source.isEmpty() && below(deck, options.folder) &&
                m_layout->pageFor(deck) ==
                    options.outputFolder + QLatin1Char('/') + page.relativePath &&
                !m_known.contains(deck) && !DeckSettler::look(deck).exists &&
                DeckSettler::look(deck.section(QLatin1Char('/'), 0, -2)).exists)
                gone.append(deck);
        }
        if (!gone.isEmpty() && m_known.isEmpty())
            say(QStringLiteral("%1 holds no deck: the %2 pages made from its decks stay")
                    .arg(options.folder)
                    .arg(gone.size()));
        else
            for (const QString& deck : std::as_const(gone))
                m_settler.touch(deck, now);
    }
    QEventLoop loop;
    m_loop = &loop;
    if (m_tree.descriptor() >= 0) {
        m_notifier = new QSocketNotifier(m_tree.descriptor(), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &BatchWatch::onEvents);
    }
    step();
    const int status = m_exitStatus >= 0 ? m_exitStatus : loop.exec();
    m_loop = nullptr;
    return status;
}

void BatchWatch::startWatching() {
    const BatchCommandLine& options = m_run->options();
    QStringList excluded;
    if (below(options.outputFolder, options.folder))
        excluded.append(options.outputFolder);
    QString why;
    if (!m_tree.watch(options.folder, excluded))
        why = QStringLiteral("the system gives no inotify (%1)")
                  .arg(PosixFiles::errorText(m_tree.error()));
    else if (m_tree.unwatched() > 0)
        why = QStringLiteral("the system's limit of inotify watches "
                             "(fs.inotify.max_user_watches) leaves %1 unwatched")
                  .arg(folders(m_tree.unwatched()));
    const QString fileSystem = FolderTreeWatch::fileSystemOf(options.folder);
    if (why.isEmpty() && FolderTreeWatch::changesUnseenOn(fileSystem))
        why = QStringLiteral("%1 is on a %2 file system, whose changes from other machines "
                             "the kernel does not see")
                  .arg(options.folder, fileSystem);
    m_saidLimit = m_tree.unwatched() > 0;
    m_status.unwatchedFolders = m_tree.unwatched();
    if (options.rescanSeconds >= 0)
        m_rescanEvery = fromSeconds(options.rescanSeconds);
    else if (!why.isEmpty())
        m_rescanEvery = kDefaultRescan;
    if (!why.isEmpty())
        say(m_rescanEvery.count() > 0
                ? QStringLiteral("%1: the tree is also walked every %2 s")
                      .arg(why)
                      .arg(double(m_rescanEvery.count()) / 1000)
                : QStringLiteral("%1, and --rescan 0 leaves those changes unseen").arg(why));
    m_status.changesSeenBy =
        m_tree.descriptor() < 0 ? QStringLiteral("rescan") : QStringLiteral("inotify");
    if (m_rescanEvery.count() > 0)
        m_status.changesSeenBy +=
            QStringLiteral(" and a rescan every %1 s").arg(double(m_rescanEvery.count()) / 1000);
    say(QStringLiteral("watching %1 (%2) for %3")
            .arg(options.folder, folders(m_tree.watches()), options.outputFolder));
}

void BatchWatch::onEvents() {
    if (m_notifier)
        m_notifier->setEnabled(false);
    const auto now = Clock::now();
    // A copy in pieces gives many events per deck; each deck is looked at
    // once per read.
    QSet<QString> touched;
    QStringList added;
    bool overflow = false;
    for (const FolderTreeWatch::Event& event : m_tree.read()) {
        switch (event.kind) {
        case FolderTreeWatch::Event::Kind::Written:
        case FolderTreeWatch::Event::Kind::Gone:
            if (isDeck(event.path))
                touched.insert(event.path);
            break;
        case FolderTreeWatch::Event::Kind::FolderAdded:
            added.append(event.path);
            break;
        case FolderTreeWatch::Event::Kind::FolderGone:
            for (const QString& deck : std::as_const(m_known))
                if (below(deck, event.path))
                    touched.insert(deck);
            break;
        case FolderTreeWatch::Event::Kind::Overflow:
            overflow = true;
            break;
        }
    }
    for (const QString& deck : std::as_const(touched))
        m_settler.touch(deck, now);
    // Whatever was put into a new folder before it was watched is found by
    // walking it.
    for (const QString& folder : std::as_const(added))
        rescan(folder);
    if (overflow) {
        say(QStringLiteral("changes came faster than the kernel could queue them: the tree "
                           "is walked again"));
        rescan(m_run->options().folder);
    }
    if (!m_saidLimit && m_tree.unwatched() > 0) {
        m_saidLimit = true;
        if (m_run->options().rescanSeconds < 0 && m_rescanEvery.count() == 0) {
            m_rescanEvery = kDefaultRescan;
            m_nextRescan = now + m_rescanEvery;
        }
        say(QStringLiteral("the system's limit of inotify watches (fs.inotify.max_user_watches) "
                           "leaves %1 unwatched: the tree is also walked every %2 s")
                .arg(folders(m_tree.unwatched()))
                .arg(double(m_rescanEvery.count()) / 1000));
    }
    m_status.unwatchedFolders = m_tree.unwatched();
    if (m_notifier)
        m_notifier->setEnabled(true);
    step();
}

void BatchWatch::rescan(const QString& folder) {
    const QString root = m_run->options().folder;
    const auto now = Clock::now();
    QSet<QString> found;
    QStringList unreadable;
    ConversionEngine walker(nullptr);
    walker.setMaskTextSource([this] { return m_run->options().masks; });
    walker.setFollowLinksOut(m_run->options().followLinks);
    walker.setFileHandler([&](const QString& path, FolderListing::Kind kind, int) {
        if (kind == FolderListing::Kind::Unreadable)
            unreadable.append(path);
        if (kind != FolderListing::Kind::File ||
            !m_run->options().shard.contains(m_layout->relativePath(path)))
            return;
        found.insert(path);
        // One that waits already is looked at when its time is up; touched
        // again by every rescan, a deck would never settle.
        if (!m_inWork.contains(path) && !m_settler.isWaiting(path) && !m_layout->isUpToDate(path))
            m_settler.touch(path, now);
    });
    walker.WalkFolders(folder);
    QStringList missing;
    for (const QString& deck : std::as_const(m_known))
        if ((folder == root || below(deck, folder)) && !found.contains(deck) &&
            std::none_of(unreadable.begin(), unreadable.end(),
                         [&](const QString& closed) { return below(deck, closed); }))
            missing.append(deck);
    if (folder == root && found.isEmpty() && !missing.isEmpty()) {
        if (!m_saidEmpty)
            say(QStringLiteral("%1 holds no deck now: no page is removed until it holds one")
                    .arg(root));
        m_saidEmpty = true;
        return;
    }
    m_saidEmpty = false;
    // Each waits the settle time and is looked at again before its page goes.
    for (const QString& deck : std::as_const(missing))
        if (!m_settler.isWaiting(deck))
            m_settler.touch(deck, now);
    for (const QString& deck : std::as_const(found))
        m_known.insert(deck);
}

void BatchWatch::takeFinished() {
    QList<Finished> finished;
    QHash<QString, DeckSettler::Look> looks;
    {
        const std::lock_guard lock(m_mutex);
        finished.swap(m_finished);
        for (const Finished& deck : std::as_const(finished))
            looks.insert(deck.source, m_converting.take(deck.source));
    }
    for (const Finished& deck : std::as_const(finished)) {
        m_inWork.remove(deck.source);
        m_lastWork = Clock::now();
        if (deck.converted) {
            ++m_status.converted;
            m_status.lastConverted = deck.source;
            m_status.lastConvertedAt = QDateTime::currentDateTimeUtc();
            m_settler.forget(deck.source);
        } else if (!deck.line.isEmpty()) {
            ++m_status.failed;
            m_status.lastFailure = deck.source;
            m_status.lastFailureText =
                deck.line.mid(ConversionEngine::printable(deck.source).size());
            m_status.lastFailureAt = QDateTime::currentDateTimeUtc();
            m_settler.failed(deck.source, looks.value(deck.source));
        }
        if (m_goneInWork.remove(deck.source))
            removePage(deck.source);
    }
    // Every line is out: nothing is in work, whatever said so (a deck
    // another watcher converted just before this one took it).
    if (m_run->pending() == 0)
        m_inWork.clear();
}

void BatchWatch::takeSettled(Clock::time_point now) {
    QStringList batch;
    for (const DeckSettler::Settled& deck : m_settler.takeSettled(now)) {
        if (!deck.look.exists) {
            gone(deck.path);
            continue;
        }
        m_known.insert(deck.path);
        // A deck in work as it looks now is not handed over twice.
        const auto inWork = m_inWork.constFind(deck.path);
        if ((inWork != m_inWork.constEnd() && inWork.value() == deck.look) ||
            m_layout->isUpToDate(deck.path))
            continue;
        m_inWork.insert(deck.path, deck.look);
        batch.append(deck.path);
    }
    if (batch.isEmpty())
        return;
    // In walk order, as far as one folder goes: the log is read by people.
    std::sort(batch.begin(), batch.end());
    m_run->take(batch);
    m_lastWork = now;
}

void BatchWatch::gone(const QString& path) {
    m_known.remove(path);
    m_settler.forget(path);
    if (m_run->options().keepRemoved ||
        !m_run->options().shard.contains(m_layout->relativePath(path)))
        return;
    {
        // An office may be writing its page right now: it goes after.
        const std::lock_guard lock(m_mutex);
        if (m_converting.contains(path)) {
            m_goneInWork.insert(path);
            return;
        }
    }
    removePage(path);
}

void BatchWatch::removePage(const QString& path) {
    try {
        if (!PageRemoval::remove(*m_layout, path))
            return;
        m_sinks.logLine(ConversionEngine::printable(path + QLatin1String(kRemovedText)));
        const QString page = m_layout->pageFor(path);
        m_removedPages.append(page.mid(m_run->options().outputFolder.size() + 1));
        ++m_status.removed;
        // In the flat layout decks of one name share a page: one moved or
        // renamed to this name counted as up to date by the page it just
        // lost, and another of the name may now have none.
        const auto now = Clock::now();
        for (const QString& deck : std::as_const(m_known))
            if (m_layout->pageFor(deck) == page)
                m_settler.touch(deck, now);
    } catch (const ReportableError& error) {
        m_sinks.logLine(ConversionEngine::printable(path + error.message()));
    }
}

void BatchWatch::writeIndex(Clock::time_point now) {
    if (!m_run->options().index)
        return;
    if (m_run->unindexed() == 0 && m_removedPages.isEmpty() && !m_firstPass) {
        m_unindexedSince.reset();
        return;
    }
    if (!m_unindexedSince)
        m_unindexedSince = now;
    const bool quiet = m_run->pending() == 0 && m_settler.waiting() == 0;
    if (now < *m_unindexedSince || (!quiet && now - *m_unindexedSince < kIndexDelay))
        return;
    // An update reconciles the index with the folder: the pages a watcher
    // killed before its last index left unlisted come in, and the entries
    // of removed pages go, without the archive being read again.
    if (m_run->writeIndex(false, m_removedPages) != 0) {
        // Said; tried again a minute later, with the pages converted since.
        m_unindexedSince = now + kIndexRetry;
        return;
    }
    m_removedPages.clear();
    m_firstPass = false;
    m_unindexedSince.reset();
}

void BatchWatch::step() {
    if (m_notifier)
        m_notifier->setEnabled(false);
    auto now = Clock::now();
    takeFinished();
    takeSettled(now);
    m_run->collect(milliseconds(0));
    takeFinished();
    // A claim that cannot be written ends a watcher as it ends a run: it
    // would otherwise go on taking decks it never converts.
    if (m_run->officesFailed() || !m_run->fatal().isEmpty()) {
        m_sinks.error(m_run->fatal().isEmpty() ? m_run->pool()->failure() : m_run->fatal());
        m_exitStatus = 2;
        if (m_loop)
            m_loop->exit(2);
        return;
    }
    // Not while the start's decks are in work: the walk would find them
    // out of date and hand them over again.
    if (m_startPending && m_run->pending() == 0)
        m_startPending = false;
    if (m_rescanEvery.count() > 0 && now >= m_nextRescan && !m_startPending) {
        rescan(m_run->options().folder);
        now = Clock::now();
        m_nextRescan = now + m_rescanEvery;
        takeSettled(now);
    }
    writeIndex(now);
    if (m_run->officesStarted() > 0 && m_run->pending() == 0 && m_settler.waiting() == 0 &&
        now - m_lastWork >= m_warm)
        m_run->releaseOffices();
    // What a burst and its index took is given back to the system once the
    // work is done, so an idle watcher's size is what it keeps, not its
    // busiest moment.
    if (m_lastWork != m_trimmed && m_run->pending() == 0 && m_settler.waiting() == 0 &&
        !m_unindexedSince && m_run->officesStarted() == 0) {
        ::malloc_trim(0);
        m_trimmed = m_lastWork;
    }
    updateStatus(now);
    schedule(now);
    if (m_notifier)
        m_notifier->setEnabled(true);
}

void BatchWatch::updateStatus(Clock::time_point now, bool force) {
    const int pending = m_run->pending();
    {
        const std::lock_guard lock(m_mutex);
        m_status.converting = m_converting.keys();
    }
    std::sort(m_status.converting.begin(), m_status.converting.end());
    m_status.queued = m_settler.waiting() + std::max(0, pending - int(m_status.converting.size()));
    m_status.queuedDecks = m_settler.waitingDecks(20);
    std::sort(m_status.queuedDecks.begin(), m_status.queuedDecks.end());
    m_status.officesRunning = m_run->officesStarted() > 0;
    if (m_status.state != QLatin1String("stopped"))
        m_status.state = pending > 0               ? QStringLiteral("converting")
                         : m_settler.waiting() > 0 ? QStringLiteral("settling")
                                                   : QStringLiteral("idle");
    // The time in it aside, a status that says nothing new is not written,
    // and a busy one at most once a second.
    const QByteArray fingerprint = m_status.render(QDateTime());
    if (fingerprint != m_written)
        m_statusDirty = true;
    if (!m_statusDirty || (!force && now - m_statusWritten < std::chrono::seconds(1)))
        return;
    try {
        m_status.write(m_statusFolder, m_statusFile);
    } catch (const ReportableError& error) {
        if (m_written.isEmpty())
            say(QStringLiteral("the status cannot be written: %1").arg(error.message()));
    }
    m_written = fingerprint;
    m_statusWritten = now;
    m_statusDirty = false;
}

void BatchWatch::schedule(Clock::time_point now) {
    std::optional<Clock::time_point> next = m_settler.nextDue();
    const auto consider = [&next](Clock::time_point time) {
        if (!next || time < *next)
            next = time;
    };
    if (m_run->pending() > 0 || !m_goneInWork.isEmpty())
        consider(now + kCollectInterval);
    else if (m_run->officesStarted() > 0)
        consider(m_lastWork + m_warm);
    if (m_unindexedSince)
        consider(*m_unindexedSince + (*m_unindexedSince > now ? milliseconds(0) : kIndexDelay));
    if (m_rescanEvery.count() > 0)
        consider(m_nextRescan);
    if (m_statusDirty)
        consider(m_statusWritten + std::chrono::seconds(1));
    if (!next) {
        m_timer.stop();
        return;
    }
    const auto wait = std::chrono::duration_cast<milliseconds>(*next - now);
    m_timer.start(int(std::clamp<qint64>(wait.count(), 0, 24 * 3600 * 1000)));
}

void BatchWatch::stop() {
    m_run->killOffices();
    if (m_run->options().index && (m_run->unindexed() > 0 || !m_removedPages.isEmpty()))
        m_run->writeIndex(false, m_removedPages);
    m_status.state = QStringLiteral("stopped");
    updateStatus(Clock::now(), true);
}
