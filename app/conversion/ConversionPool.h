#pragma once

#include "app/conversion/DeckClaims.h"
#include "app/conversion/OfficeRecyclePolicy.h"
#include "app/conversion/ReorderBuffer.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class PresentationServer;

// Several offices converting the files of one walk at once. Each worker
// owns its office (from the factory: its own pipe and profile), its per-file
// time limit, its restart after a crash or hang and its replacement when
// worn. Files are submitted in walk order and their log lines come back in
// that order, one per file, whatever order they finish in.
class ConversionPool {
public:
    using ServerFactory = std::function<std::shared_ptr<PresentationServer>(int worker)>;

    struct Settings {
        int workers = 1;
        QString successText;
        std::chrono::milliseconds fileTimeLimit{300000};
        OfficeRecyclePolicy recyclePolicy;
        // How many files past the oldest unfinished one may be started.
        int reorderCapacity = 256;
        // The output folder the pages go below (reached from it without
        // links) and the folder walked, which the pages' notes name their
        // decks from.
        QString outputRoot;
        QString walkedFolder;
        // Called on the worker's thread with what a deck's line alone does
        // not say (the files its publish step left out).
        std::function<void(const QString& note)> onNote;
        // Called on the worker's thread with the page of each deck that
        // converted (so an index can be told what changed).
        std::function<void(const QString& page)> onConverted;
        // Also on the worker's thread: a deck is started (after its claim),
        // and a deck is done, with its line (empty when another run had it).
        std::function<void(const QString& source)> onStarted;
        std::function<void(const QString& source, const ReorderBuffer::Line& line)> onFinished;
        // Runs sharing the tree (DeckClaims): asked right before a worker
        // starts a deck. A deck done elsewhere gives an empty line; one held
        // elsewhere is asked about again after claimRetry, and until it is
        // settled the run does not finish; one that raises ReportableError
        // fails the run (failed()). claimDone follows every deck this run
        // claimed, converted or not.
        std::function<DeckClaims::Outcome(const QString& source)> claim;
        std::function<void(const QString& source, bool converted)> claimDone;
        std::chrono::milliseconds claimRetry{1000};
    };

    ConversionPool(Settings settings, ServerFactory factory);
    ~ConversionPool();
    ConversionPool(const ConversionPool&) = delete;
    ConversionPool& operator=(const ConversionPool&) = delete;

    // A deck to convert into outputFolder; page is where its page lands (two
    // decks with the same page are never converted at once, and the later
    // one in walk order is converted later). The workers and their offices
    // start with the first deck submitted, not before.
    // With sameAs, the page of an earlier deck of this run with the same
    // bytes: once that one converted, this deck's page is made from its
    // page without an office (converted as usual when it failed).
    void submit(const QString& sourcePath, const QString& outputFolder, const QString& page,
                const QString& sameAs = QString());
    // A file that is not converted, with its finished log line.
    void submitLine(const QString& line, bool converted);
    // No more files will come.
    void close();

    // Waits up to `wait` for lines, then returns those ready in walk order.
    QList<ReorderBuffer::Line> takeReady(std::chrono::milliseconds wait);
    // Closed, every file done and every line taken.
    bool finished() const;
    // Every worker failed to get an office, or a deck's claim could not be
    // had: the files left are not converted.
    bool failed() const;
    QString failure() const;

    // Workers end after their current file.
    void requestStop();
    // Ends every office now, from any thread (for a signal).
    void killOffices();
    // Waits for the workers, which quit their offices.
    void join();

    bool started() const;
    // Workers that got an office (the others failed to start one).
    int officesStarted() const;
    int serversReplaced() const;
    // Summed over the workers that have ended (see ConversionEngine).
    std::chrono::nanoseconds serverTime() const;
    std::chrono::nanoseconds loadStoreTime() const;
    std::chrono::nanoseconds publishTime() const;
    std::chrono::nanoseconds drawWaitTime() const;

private:
    struct Job {
        qint64 sequence;
        QString source;
        QString outputFolder;
        QString page;
        QString sameAs;
        qint64 sameAsSequence = -1;
        std::chrono::steady_clock::time_point retryAt;
    };

    void startWorkers();
    void work(int index);
    // The next job to do, waiting for one while there may be more;
    // beforeWaiting runs first (without the pool's lock) when it must wait.
    bool nextJob(Job* job, std::function<void()> beforeWaiting = {});
    bool stopping() const;
    void deferJob(Job job);
    void finishJob(const Job& job, ReorderBuffer::Line line);
    // The page made from the one with the same bytes; false when that one
    // did not convert or the copy failed, so the deck is converted itself.
    bool copyPage(const Job& job, ReorderBuffer::Line* line);

    Settings m_settings;
    ServerFactory m_factory;
    mutable std::mutex m_mutex;
    std::condition_variable m_jobsChanged;
    std::condition_variable m_linesChanged;
    ReorderBuffer m_buffer;
    std::deque<Job> m_queue;
    std::deque<Job> m_deferred; // held by other runs, by retry time
    QSet<QString> m_pagesInWork;
    QHash<QString, qint64> m_latestOfPage; // the last job submitted for a page
    QHash<qint64, bool> m_converted;       // jobs others are made from: done, converted?
    qint64 m_submitted = 0;
    bool m_closed = false;
    bool m_stop = false;
    bool m_fatal = false; // the run cannot go on (failure() says why)
    bool m_started = false;
    int m_workersLeft = 0;
    int m_officesStarted = 0;
    int m_replaced = 0;
    std::chrono::nanoseconds m_serverTime{0};
    std::chrono::nanoseconds m_loadStoreTime{0};
    std::chrono::nanoseconds m_publishTime{0};
    std::chrono::nanoseconds m_drawWaitTime{0};
    QString m_failure;
    std::vector<std::thread> m_threads;
    std::vector<std::shared_ptr<PresentationServer>> m_servers;
};
