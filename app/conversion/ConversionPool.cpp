#include "app/conversion/ConversionPool.h"

#include "app/automation/AutomationError.h"
#include "app/automation/PresentationServer.h"
#include "app/conversion/ConversionEngine.h"
#include "app/conversion/PageCopy.h"
#include "platform/PosixFiles.h"
#include "platform/ReportableError.h"

#include <deque>

ConversionPool::ConversionPool(Settings settings, ServerFactory factory)
    : m_settings(std::move(settings)), m_factory(std::move(factory)),
      m_buffer(m_settings.reorderCapacity) {
    m_settings.workers = std::max(1, m_settings.workers);
}

ConversionPool::~ConversionPool() {
    requestStop();
    join();
}

void ConversionPool::submit(const QString& sourcePath, const QString& outputFolder,
                            const QString& page, const QString& sameAs) {
    std::lock_guard lock(m_mutex);
    Job job{m_submitted++, sourcePath, outputFolder, page, sameAs, -1};
    if (!sameAs.isEmpty()) {
        job.sameAsSequence = m_latestOfPage.value(sameAs, -1);
        if (job.sameAsSequence < 0)
            job.sameAs.clear();
        else if (!m_converted.contains(job.sameAsSequence))
            m_converted.insert(job.sameAsSequence, false);
    }
    m_latestOfPage.insert(page, job.sequence);
    m_queue.push_back(std::move(job));
    // The offices start as soon as there is something for them to do, while
    // the walk goes on looking for more, and not at all when there is none.
    if (!m_started)
        startWorkers();
    m_jobsChanged.notify_all();
}

void ConversionPool::submitLine(const QString& line, bool converted) {
    std::lock_guard lock(m_mutex);
    m_buffer.put(m_submitted++, {line, converted});
    m_linesChanged.notify_all();
}

void ConversionPool::close() {
    std::lock_guard lock(m_mutex);
    m_closed = true;
    m_jobsChanged.notify_all();
    m_linesChanged.notify_all();
}

void ConversionPool::startWorkers() {
    m_started = true;
    m_workersLeft = m_settings.workers;
    m_servers.resize(size_t(m_settings.workers));
    for (int i = 0; i < m_settings.workers; ++i)
        m_threads.emplace_back([this, i] { work(i); });
}

bool ConversionPool::started() const {
    std::lock_guard lock(m_mutex);
    return m_started;
}

QList<ReorderBuffer::Line> ConversionPool::takeReady(std::chrono::milliseconds wait) {
    std::unique_lock lock(m_mutex);
    m_linesChanged.wait_for(lock, wait, [this] {
        return m_buffer.hasReady() || (m_closed && m_buffer.next() == m_submitted) ||
               (m_started && m_workersLeft == 0) || m_fatal;
    });
    const QList<ReorderBuffer::Line> ready = m_buffer.takeReady();
    // Room in the buffer may let a worker take the next file.
    if (!ready.isEmpty())
        m_jobsChanged.notify_all();
    return ready;
}

bool ConversionPool::finished() const {
    std::lock_guard lock(m_mutex);
    return m_closed && m_buffer.next() == m_submitted;
}

bool ConversionPool::failed() const {
    std::lock_guard lock(m_mutex);
    return m_fatal || (!m_stop && m_started && m_workersLeft == 0 &&
                       (!m_queue.empty() || !m_deferred.empty()));
}

QString ConversionPool::failure() const {
    std::lock_guard lock(m_mutex);
    return m_failure;
}

int ConversionPool::officesStarted() const {
    std::lock_guard lock(m_mutex);
    return m_officesStarted;
}

int ConversionPool::serversReplaced() const {
    std::lock_guard lock(m_mutex);
    return m_replaced;
}

std::chrono::nanoseconds ConversionPool::serverTime() const {
    std::lock_guard lock(m_mutex);
    return m_serverTime;
}

std::chrono::nanoseconds ConversionPool::loadStoreTime() const {
    std::lock_guard lock(m_mutex);
    return m_loadStoreTime;
}

std::chrono::nanoseconds ConversionPool::publishTime() const {
    std::lock_guard lock(m_mutex);
    return m_publishTime;
}

std::chrono::nanoseconds ConversionPool::drawWaitTime() const {
    std::lock_guard lock(m_mutex);
    return m_drawWaitTime;
}

void ConversionPool::requestStop() {
    std::lock_guard lock(m_mutex);
    m_stop = true;
    m_jobsChanged.notify_all();
}

void ConversionPool::killOffices() {
    std::vector<std::shared_ptr<PresentationServer>> servers;
    {
        std::lock_guard lock(m_mutex);
        servers = m_servers;
    }
    for (const auto& server : servers)
        if (server)
            server->kill();
}

void ConversionPool::join() {
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(m_mutex);
        threads.swap(m_threads);
    }
    for (std::thread& thread : threads)
        thread.join();
    std::lock_guard lock(m_mutex);
    // Joined workers no longer count as started, but the pool must not start
    // new ones for a late submit either.
    m_stop = true;
}

bool ConversionPool::stopping() const {
    std::lock_guard lock(m_mutex);
    return m_stop;
}

bool ConversionPool::nextJob(Job* job, std::function<void()> beforeWaiting) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_stop || (m_closed && m_queue.empty() && m_deferred.empty()))
            return false;
        // A deck held by another run comes first once its time is up, so
        // the reorder buffer, which it holds back, does not fill.
        if (!m_deferred.empty() && m_deferred.front().retryAt <= std::chrono::steady_clock::now() &&
            !m_pagesInWork.contains(m_deferred.front().page)) {
            *job = std::move(m_deferred.front());
            m_deferred.pop_front();
            break;
        }
        // Strictly in walk order: the next file waits while a file with the
        // same page is in work, so the later deck's page is the one that
        // stays.
        // A page made from another waits until that one is done.
        if (!m_queue.empty() && m_buffer.admits(m_queue.front().sequence) &&
            !m_pagesInWork.contains(m_queue.front().page) &&
            !(m_queue.front().sameAsSequence >= 0 &&
              m_pagesInWork.contains(m_queue.front().sameAs))) {
            *job = std::move(m_queue.front());
            m_queue.pop_front();
            break;
        }
        // What the worker holds may be what the next job waits for.
        if (beforeWaiting) {
            lock.unlock();
            beforeWaiting();
            lock.lock();
            beforeWaiting = nullptr;
            continue;
        }
        if (m_deferred.empty())
            m_jobsChanged.wait(lock);
        else
            m_jobsChanged.wait_until(
                lock, std::max(m_deferred.front().retryAt,
                               std::chrono::steady_clock::now() + std::chrono::milliseconds(10)));
    }
    m_pagesInWork.insert(job->page);
    return true;
}

void ConversionPool::deferJob(Job job) {
    std::lock_guard lock(m_mutex);
    m_pagesInWork.remove(job.page);
    job.retryAt = std::chrono::steady_clock::now() + m_settings.claimRetry;
    m_deferred.push_back(std::move(job));
    m_jobsChanged.notify_all();
}

void ConversionPool::finishJob(const Job& job, ReorderBuffer::Line line) {
    if (m_settings.onFinished)
        m_settings.onFinished(job.source, line);
    std::lock_guard lock(m_mutex);
    m_pagesInWork.remove(job.page);
    if (m_converted.contains(job.sequence))
        m_converted.insert(job.sequence, line.converted);
    m_buffer.put(job.sequence, std::move(line));
    m_linesChanged.notify_all();
    m_jobsChanged.notify_all();
}

bool ConversionPool::copyPage(const Job& job, ReorderBuffer::Line* line) {
    {
        std::lock_guard lock(m_mutex);
        if (!m_converted.value(job.sameAsSequence))
            return false;
    }
    try {
        PageCopy::publish(
            m_settings.outputRoot.isEmpty() ? job.outputFolder : m_settings.outputRoot, job.sameAs,
            job.page, job.source, ConversionEngine::noteName(job.source, m_settings.walkedFolder));
    } catch (const ReportableError&) {
        return false;
    }
    *line = {ConversionEngine::printable(job.source + m_settings.successText), true};
    return true;
}

void ConversionPool::work(int index) {
    std::shared_ptr<PresentationServer> server = m_factory(index);
    {
        std::lock_guard lock(m_mutex);
        m_servers[size_t(index)] = server;
    }
    ConversionEngine engine(server);
    engine.setSuccessText(m_settings.successText);
    engine.setFileTimeLimit(m_settings.fileTimeLimit);
    engine.setRecyclePolicy(m_settings.recyclePolicy);
    engine.setRunFolders(m_settings.walkedFolder, m_settings.outputRoot);
    QString outputFolder;
    engine.setOutputFolderSource([&outputFolder] { return outputFolder; });
    // The engine reports a deck's line into the line of the deck it is
    // finishing.
    ReorderBuffer::Line line;
    ReorderBuffer::Line* report = &line;
    QObject::connect(&engine, &ConversionEngine::logLine,
                     [&report](const QString& text) { report->text = text; });
    QObject::connect(&engine, &ConversionEngine::fileFinished,
                     [&report](bool converted) { report->converted = converted; });
    QObject::connect(&engine, &ConversionEngine::filesLeftOut,
                     [this](const QString& source, const QStringList& names) {
                         if (m_settings.onNote)
                             m_settings.onNote(ConversionEngine::leftOutMessage(source, names));
                     });

    bool ready = false;
    try {
        engine.AttachOrStart();
        engine.MakeVisible();
        ready = true;
        std::lock_guard lock(m_mutex);
        ++m_officesStarted;
    } catch (const ReportableError& error) {
        std::lock_guard lock(m_mutex);
        m_failure = error.message();
    }
    const auto done = [this](const Job& finished, ReorderBuffer::Line finishedLine) {
        if (finishedLine.converted && m_settings.onConverted)
            m_settings.onConverted(finished.page);
        if (m_settings.claimDone)
            m_settings.claimDone(finished.source, finishedLine.converted);
        finishJob(finished, std::move(finishedLine));
    };
    // Decks whose pictures are still being drawn while the office goes on
    // with the next ones, oldest first: one deck with many slides takes
    // longer to draw than the next deck takes the office, two rarely do.
    // Finished as newer ones come, and all before this worker waits for
    // work.
    constexpr size_t kPendingDecks = 2;
    std::deque<Job> pending;
    const auto finishPending = [&](size_t keep) {
        while (pending.size() > keep) {
            ReorderBuffer::Line pendingLine;
            report = &pendingLine;
            engine.EndFile(!stopping());
            report = &line;
            const Job finished = std::move(pending.front());
            pending.pop_front();
            done(finished, std::move(pendingLine));
        }
    };
    Job job;
    while (ready && nextJob(&job, [&] { finishPending(0); })) {
        if (m_settings.claim) {
            DeckClaims::Outcome outcome = DeckClaims::Outcome::Held;
            try {
                outcome = m_settings.claim(job.source);
            } catch (const ReportableError& error) {
                // No deck is converted without its claim: the run ends.
                std::lock_guard lock(m_mutex);
                m_failure = error.message();
                m_fatal = true;
                m_stop = true;
                m_jobsChanged.notify_all();
                m_linesChanged.notify_all();
                break;
            }
            if (outcome == DeckClaims::Outcome::Held) {
                deferJob(std::move(job));
                continue;
            }
            if (outcome == DeckClaims::Outcome::Elsewhere) {
                finishJob(job, {});
                continue;
            }
        }
        if (m_settings.onStarted)
            m_settings.onStarted(job.source);
        // The output folder is the user's, made as named; a folder of the
        // kept tree below it is made by the publish step, never through a
        // link. When one cannot be made the deck fails and says why.
        PosixFiles::makePath(m_settings.outputRoot.isEmpty() ? job.outputFolder
                                                             : m_settings.outputRoot);
        outputFolder = job.outputFolder;
        line = {};
        if (job.sameAsSequence >= 0 && copyPage(job, &line)) {
            done(job, std::move(line));
            continue;
        }
        if (engine.BeginFile(job.source)) {
            pending.push_back(std::move(job));
            finishPending(kPendingDecks);
        } else {
            done(job, std::move(line));
        }
    }
    finishPending(0);
    if (ready) {
        try {
            engine.Quit();
        } catch (const AutomationError&) {
        }
    }
    engine.Release();
    std::lock_guard lock(m_mutex);
    m_replaced += engine.serversReplaced();
    m_serverTime += engine.serverTime();
    m_loadStoreTime += engine.loadStoreTime();
    m_publishTime += engine.publishTime();
    m_drawWaitTime += engine.drawWaitTime();
    --m_workersLeft;
    m_linesChanged.notify_all();
    m_jobsChanged.notify_all();
}
