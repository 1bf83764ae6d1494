#pragma once

#include "app/batch/BatchCommandLine.h"
#include "app/conversion/ArchiveIndex.h"
#include "app/conversion/ConversionPool.h"
#include "app/conversion/FolderListing.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

class ConversionEngine;

// One run of deckvane-batch after its arguments are checked: the walk (on
// this thread), the offices converting what it finds (a pool of workers),
// the log lines in walk order, the progress and the archive index. The
// front end gives it where its text goes and how to get an office.
class BatchRun {
public:
    struct Sinks {
        std::function<void(const QString&)> logLine;  // one per file, walk order
        std::function<void(const QString&)> status;   // where the walk is
        std::function<void(const QString&)> progress; // after each line
        std::function<void(const QString&)> error;
        // Called while waiting, so the caller's events (signals) are seen.
        std::function<void()> idle;
        // On the offices' threads: a deck is started, and a deck is done
        // (its line empty when another run had it). Optional.
        std::function<void(const QString& source)> deckStarted;
        std::function<void(const QString& source, bool converted, const QString& line)> deckDone;
    };

    // The text a deck that is skipped as up to date ends its line with.
    static constexpr char kUpToDateText[] = "Up to date";

    BatchRun(BatchCommandLine options, QString successText, ConversionPool::ServerFactory factory,
             Sinks sinks);

    // The exit status: 0 every file converted (or up to date, or listed), 1
    // some failed (or could not be listed), 2 no office could be had or the
    // output folder cannot be made.
    int run();
    // Ends every office now (for a signal); any thread.
    void killOffices();

    // The steps of run() for a front end that goes on after the walk (a
    // watcher). open() resolves the folders and makes the output folder and
    // the claims (0, or run()'s 2); walk() hands the tree's files to the
    // offices as run() does; take() hands over more decks, those with the
    // same bytes among them converted once; collect() passes the lines
    // that are ready on to the sinks; releaseOffices() lets the offices go
    // once nothing is pending (the next deck starts them again); and
    // writeIndex() indexes what was published since it last ran, along
    // with the pages named (removed ones), or the whole folder afresh.
    int open();
    // seen is told every deck of the walk, converted or not.
    void walk(const std::function<void(const QString& deck)>& seen = {});
    void take(const QStringList& decks);
    void collect(std::chrono::milliseconds wait);
    // Decks handed over whose line has not come yet.
    int pending() const { return m_found - m_done; }
    // Every office failed to start: what was handed over is not converted.
    bool officesFailed() const;
    // Why the run cannot go on (a claim that cannot be written), or "".
    const QString& fatal() const { return m_fatal; }
    void releaseOffices();
    int unindexed();
    int writeIndex(bool whole, const QStringList& alsoPages = {});
    const BatchCommandLine& options() const { return m_options; }
    // What --index writes, when not ArchiveIndex::render's page.
    void setIndexRenderer(ArchiveIndex::Renderer renderer) {
        m_indexRenderer = std::move(renderer);
    }

    // As many offices as the cores, but no more than the memory available
    // holds when each grows to the limit it is held to; at least one.
    static int defaultJobs(int cores, qint64 availableBytes);
    // The free memory the system reports (MemAvailable), -1 when unknown.
    static qint64 availableMemory();

    int done() const { return m_done; }
    int failed() const { return m_failed; }
    int total() const { return m_total; }
    // Offices that started (none when every one failed to).
    int officesStarted() const;
    const ConversionPool* pool() const { return m_pool.get(); }
    std::chrono::milliseconds elapsed() const;

private:
    void listFile(const QString& path, FolderListing::Kind kind, int error);
    void takeFile(const QString& path, FolderListing::Kind kind, int error);
    void emitLines(std::chrono::milliseconds wait);
    void resolveFolders();
    // Masks, links and status as the run's walks have them.
    void prepareWalker(ConversionEngine& walker);
    void makePool();
    // Decks with the same bytes found in this run are converted once; the
    // others' pages are made from the first one's.
    void submitDeck(const QString& path, const QString& folder, const QString& page);
    // A digest of the file's bytes, empty when it cannot be read.
    static QByteArray contentKey(const QString& path);
    QString progressText() const;

    BatchCommandLine m_options;
    QString m_successText;
    ConversionPool::ServerFactory m_factory;
    Sinks m_sinks;
    std::unique_ptr<DeckClaims> m_claims; // before the pool: its workers use it
    ConversionEngine* m_walker = nullptr; // the walk of run(), while it lasts
    QString m_fatal;                      // what ended the walk early
    std::unique_ptr<ConversionPool> m_pool;
    ArchiveIndex::Renderer m_indexRenderer;
    std::chrono::steady_clock::time_point m_started;
    int m_done = 0;
    int m_failed = 0;
    int m_total = -1;
    int m_found = 0;
    std::mutex m_publishedMutex;
    QStringList m_published; // pages below the output folder, as converted
    QStringList m_notes;     // for standard error, before the next lines
    QHash<QByteArray, QString> m_pageOfContent;
    QHash<QString, QByteArray> m_contentOfPage;
};
