#pragma once

#include "app/batch/BatchRun.h"
#include "app/batch/WatchStatus.h"
#include "app/conversion/DeckSettler.h"
#include "app/conversion/OutputLayout.h"
#include "platform/FolderTreeWatch.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

class QEventLoop;
class QSocketNotifier;

// deckvane-batch --watch: a run that does not end. It converts what is out
// of date as -u does, then converts each deck that appears or changes
// under the folder once it has been left alone for the settle time, and
// removes the page of a deck that is deleted or moved away. Decks that
// settle together go to the run's offices as one batch; the offices start
// with the first deck and stay a while after the last, then go, so an
// idle watcher holds none. The index is brought up to date when the work
// runs out, and every few seconds during a long burst, never per deck.
//
// Changes are seen through the kernel (inotify); where it cannot see them
// all (a network file system, too few watches) the tree is also walked
// again at an interval, as it is when the kernel's queue overflows. Idle,
// the watcher sleeps in its event loop with no timer set, unless a rescan
// is due. Signals end it as they end a run (TerminationSignals), after
// stop().
class BatchWatch : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::seconds kDefaultRescan{60};
    // The offices stay this long after the last deck (DECKVANE_OFFICE_WARM).
    static constexpr std::chrono::seconds kWarmTime{60};
    // The longest a converted page waits for the index during a burst.
    static constexpr std::chrono::seconds kIndexDelay{10};
    // An index that could not be written is tried again this much later.
    static constexpr std::chrono::seconds kIndexRetry{60};
    // While decks are converting, their lines are collected this often.
    static constexpr std::chrono::milliseconds kCollectInterval{200};
    // What the line of a deck whose page was removed ends in.
    static constexpr char kRemovedText[] = "Page removed";

    BatchWatch(BatchCommandLine options, QString successText, ConversionPool::ServerFactory factory,
               BatchRun::Sinks sinks);
    ~BatchWatch() override;

    // Runs until a signal ends the program; returns only when it cannot go
    // on: 2 when the output folder or the offices cannot be had.
    int exec();
    // For a signal: ends the offices, indexes what was published and says
    // so in the status file. Any thread may not call it: the main thread.
    void stop();

    BatchRun& run() { return *m_run; }

private:
    void startWatching();
    void onEvents();
    void step();
    void takeFinished();
    void takeSettled(std::chrono::steady_clock::time_point now);
    void gone(const QString& path);
    void removePage(const QString& path);
    // Walks the folder (the tree, or a folder that appeared): decks out of
    // date wait to settle, known decks no longer there are gone.
    void rescan(const QString& folder);
    void writeIndex(std::chrono::steady_clock::time_point now);
    // Written when it says something new, at most once a second unless
    // forced.
    void updateStatus(std::chrono::steady_clock::time_point now, bool force = false);
    void schedule(std::chrono::steady_clock::time_point now);
    bool isDeck(const QString& path) const;
    bool below(const QString& path, const QString& folder) const;
    void say(const QString& text);

    struct Finished {
        QString source;
        bool converted;
        QString line;
    };

    BatchRun::Sinks m_sinks;
    std::unique_ptr<BatchRun> m_run;
    std::optional<OutputLayout> m_layout;
    FolderTreeWatch m_tree;
    DeckSettler m_settler;
    WatchStatus m_status;
    QString m_statusFolder; // and the file below it, reached without links
    QString m_statusFile;
    QEventLoop* m_loop = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_timer;
    QStringList m_masks;

    // Decks of the tree as last seen, to tell which went when a folder goes.
    QSet<QString> m_known;
    // Decks handed to the run and not done yet, as they looked then, and
    // the gone ones among them whose page goes once they are done.
    QHash<QString, DeckSettler::Look> m_inWork;
    QSet<QString> m_goneInWork;
    QStringList m_removedPages; // since the index was last written

    std::mutex m_mutex;                             // the offices' threads report through these
    QHash<QString, DeckSettler::Look> m_converting; // as each deck looked when started
    QList<Finished> m_finished;

    std::chrono::milliseconds m_rescanEvery{0}; // 0: never
    std::chrono::milliseconds m_warm;
    std::chrono::steady_clock::time_point m_nextRescan;
    std::chrono::steady_clock::time_point m_lastWork;
    std::chrono::steady_clock::time_point m_trimmed; // the work before the last trim
    std::optional<std::chrono::steady_clock::time_point> m_unindexedSince;
    std::chrono::steady_clock::time_point m_statusWritten;
    QByteArray m_written; // the status last written, its time left out
    bool m_statusDirty = true;
    bool m_firstPass = true;    // the start's walk has not been indexed yet
    bool m_startPending = true; // decks of the start's walk are still in work
    bool m_saidLimit = false;   // the watch limit has been told
    bool m_saidEmpty = false;
    int m_exitStatus = -1;
};
