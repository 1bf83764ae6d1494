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
