#pragma once

#include "app/automation/AutomationValue.h"
#include "app/conversion/FolderListing.h"
#include "app/conversion/OfficeRecyclePolicy.h"

#include <QObject>
#include <QSet>
#include <QStringList>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>

class HtmlPublisher;
class PresentationServer;

// The batch conversion: the folder walk and the conversion of one file by
// the presentation server. It knows nothing of widgets; a front end feeds it
// the mask and output-folder texts through sources read afresh (per folder,
// per file) and shows what it reports through the signals. Run sequences a
// run for every front end: CreateOutputFolder, AttachOrStart, MakeVisible,
// (the front end clears its log, disables its start control), WalkFolders,
// (enables it), Quit, Release.
class ConversionEngine : public QObject {
    Q_OBJECT
public:
    using TextSource = std::function<QString()>;
    using Clock = std::chrono::steady_clock;

    // A deck may keep the server busy this long before it counts as hung: the
    // server is then ended, the file fails, and a new server takes the next.
    static constexpr std::chrono::seconds kFileTimeLimit{300};
    // Attaching, starting (which has a deadline of its own) and quitting.
    static constexpr std::chrono::seconds kServerTimeLimit{120};

    static constexpr char kDefaultMasks[] = "*.ppt,*.pps";
    static constexpr int kHtmlFormat = 12;

    explicit ConversionEngine(std::shared_ptr<PresentationServer> server,
                              QObject* parent = nullptr);
    ~ConversionEngine() override;

    void setMaskTextSource(TextSource source) { m_maskText = std::move(source); }
    void setOutputFolderSource(TextSource source) { m_outputFolder = std::move(source); }
    // The text a successful log line ends in.
    void setSuccessText(QString text) { m_successText = std::move(text); }
    // Turns the failure text of a log line (written in English) into the
    // front end's language; without it the lines keep the English text.
    void setFailureText(std::function<QString(const QString&)> text) {
        m_failureText = std::move(text);
    }
    void setFileTimeLimit(std::chrono::milliseconds limit) { m_fileTimeLimit = limit; }
    // Walks and reports the matching files as log lines without converting
    // them (no server needed).
    void setListOnly(bool listOnly) { m_listOnly = listOnly; }
    // Hands every matching entry of the walk to the handler instead of
    // converting or logging it (for a front end that schedules the files
    // itself); refusalFor() says what the engine would have logged.
    // A folder that cannot be listed comes as Kind::Unreadable with the
    // reason (an errno value); error is 0 for every other entry.
    using FileHandler =
        std::function<void(const QString& path, FolderListing::Kind kind, int error)>;
    void setFileHandler(FileHandler handler) { m_fileHandler = std::move(handler); }
    // The failure text for an entry that is not converted, empty for a file.
    static QString refusalFor(FolderListing::Kind kind, int error = 0);
    // Follows symbolic links that lead out of the folder being walked; by
    // default the walk stays inside it and reports each such link instead.
    void setFollowLinksOut(bool follow) { m_followLinksOut = follow; }
    // Where a run's pages go and which folder its decks' notes are named
    // from: pages below outputRoot are reached from it without links, and
    // a page's note names its deck relative to walkedFolder. Run() sets
    // both; a front end that converts files one by one sets them itself.
    void setRunFolders(QString walkedFolder, QString outputRoot) {
        m_walkedFolder = std::move(walkedFolder);
        m_outputRoot = std::move(outputRoot);
    }
    // The line that says what filesLeftOut() names.
    static QString leftOutMessage(const QString& sourcePath, const QStringList& names);
    // The deck's name in its page's note: its path below the walked
    // folder, or its file name when it is not below it.
    static QString noteName(const QString& sourcePath, const QString& walkedFolder);
    // When a server this engine started is replaced by a fresh one.
    void setRecyclePolicy(OfficeRecyclePolicy policy) { m_recyclePolicy = policy; }
    int serversReplaced() const { return m_serversReplaced; }

    // Time spent waiting for the server: in all calls, and in the calls that
    // load and store decks (Open, SaveAs and Close) alone.
    std::chrono::nanoseconds serverTime() const { return m_serverTime; }
    std::chrono::nanoseconds loadStoreTime() const { return m_loadStoreTime; }
    // Time spent publishing exports (checking, cleaning, moving into place):
    // Deckvane's own, never counted against the office's time limit.
    std::chrono::nanoseconds publishTime() const { return m_publishTime; }
    // Time spent waiting for slide pictures still being drawn once the
    // office was done with their deck.
    std::chrono::nanoseconds drawWaitTime() const { return m_drawWaitTime; }

    // Cuts text at every separator; empty pieces stay, nothing is trimmed, an
    // empty text gives an empty list.
    static QStringList SplitString(const QString& text, const QString& separator);
    // Leading and trailing blanks and control characters removed.
    static QString trimBlanks(const QString& text);
    // The text on one line: control characters (line breaks above all)
    // shown as escapes ("\n", "\x1b"), so one file gives one log line.
    static QString printable(const QString& text);
    // The part of a name before its first dot.
    static QString baseName(const QString& name);

    // What a front end does at the turns of a run.
    struct RunHooks {
        std::function<void()> serverReady; // the server is there and visible
        std::function<void()> walkDone;    // the walk is over, Quit comes next
    };
    // One run over the folder. Relative folder and output-folder texts are
    // taken against the current folder when the run starts, so a front end
    // changing folders later does not move them. Raises AutomationError when
    // the output folder or the server cannot be had (or the server cannot be
    // made to quit); the server is released in every case. In list-only
    // mode nothing but the walk happens.
    void Run(const QString& folder, const RunHooks& hooks = {});

    // The text as a path from the base folder: absolute texts and the empty
    // text stay as they are; "." components of a relative text go.
    static QString absolutePath(const QString& text, const QString& base);
    // The path with every symbolic link resolved; empty when it leads
    // nowhere.
    static QString resolvedPath(const QString& path);
    // The process's current folder, exactly (not through the locale).
    static QString currentFolder();

    // Run steps. CreateOutputFolder raises AutomationError ("Unable to create
    // directory") for an empty text, and otherwise goes on even when the
    // folder cannot be made. AttachOrStart raises AutomationError when no
    // server can be had.
    static void CreateOutputFolder(const QString& text);
    void AttachOrStart();
    void MakeVisible();
    void WalkFolders(const QString& folder);
    void ScanFolder(const QString& folder);
    void ConvertFile(const QString& sourcePath);
    // ConvertFile in two steps, for a front end that lets the office go on
    // with the next deck while the pictures of this one are still being
    // drawn. BeginFile does the office's part; when it returns true the
    // deck is left pending (no log line yet), and EndFile finishes the
    // oldest deck left pending: waits for its pictures, publishes it and
    // logs it. When the pictures cannot be drawn, EndFile has the office
    // export the deck again, unless told it may not (a run being stopped),
    // and then the deck fails.
    bool BeginFile(const QString& sourcePath);
    void EndFile(bool mayExportAgain);
    void Quit();
    // Drops the server reference; a server this program started that is
    // still there is ended, so none outlives the run.
    void Release();

    bool hasServer() const { return static_cast<bool>(m_application); }

    // Ends the walk before the next file or folder (the file being converted
    // finishes first). For a window closed during a run.
    void requestStop() { m_stopRequested = true; }
    bool stopRequested() const { return m_stopRequested; }

signals:
    void statusChanged(const QString& text);
    void logLine(const QString& line);
    // After each file's log line.
    void fileFinished(bool converted);
    // A symbolic link in the tree leads out of it (to target) and is not
    // followed.
    void linkLeavesTree(const QString& path, const QString& target);
    // The publish step left files the export wrote for the deck out of its
    // page: they are not among the files an export makes for every deck.
    void filesLeftOut(const QString& sourcePath, const QStringList& names);

private:
    void walk(const QString& folder);
    // The entries to walk: links that lead out of the tree are reported and
    // left out, unless they are to be followed.
    QList<FolderListing::Entry> entriesInTree(const QString& folder,
                                              const QList<FolderListing::Entry>& entries);
    void scan(const QString& folder, const QList<FolderListing::Entry>& entries);
    void convert(const QString& sourcePath, const QString& folder, bool draw);
    void publish(const QString& sourcePath, HtmlPublisher& publisher);
    // Runs work, logging the deck's failure when it raises; false then.
    bool attempt(const QString& sourcePath, const std::function<void()>& work);
    void replaceDeadServer();
    void replaceWornServer();
    void quitServer();
    void log(const QString& sourcePath, const QString& message, bool converted);
    static void pumpEvents();

    QString outputFolder() const;

    // A call to the server on a worker thread; when it is not done by the
    // deadline the server is stopped, and the message names the limit the
    // deadline came from.
    template <typename R>
    R serverCall(std::function<R()> job, Clock::time_point deadline,
                 std::chrono::milliseconds limit, bool loadStore = false);
    template <typename R> R serverCall(std::function<R()> job) {
        return serverCall<R>(std::move(job), Clock::now() + kServerTimeLimit, kServerTimeLimit);
    }

    std::shared_ptr<PresentationServer> m_server;
    AutomationObjectPtr m_application;
    TextSource m_maskText;
    TextSource m_outputFolder;
    QString m_runBase; // the current folder when the run started
    QString m_walkedFolder;
    QString m_outputRoot;
    QString m_successText;
    std::function<QString(const QString&)> m_failureText;
    std::chrono::milliseconds m_fileTimeLimit = kFileTimeLimit;
    bool m_listOnly = false;
    FileHandler m_fileHandler;
    OfficeRecyclePolicy m_recyclePolicy;
    struct Pending {
        QString source;
        QString folder;
        std::shared_ptr<HtmlPublisher> publisher;
    };
    std::deque<Pending> m_pending; // oldest first
    int m_filesOnServer = 0;
    int m_serversReplaced = 0;
    bool m_stopRequested = false;
    std::chrono::nanoseconds m_serverTime{0};
    std::chrono::nanoseconds m_loadStoreTime{0};
    std::chrono::nanoseconds m_publishTime{0};
    std::chrono::nanoseconds m_drawWaitTime{0};
    QSet<QPair<dev_t, ino_t>> m_visited;
    bool m_followLinksOut = false;
    QString m_treeRoot; // the walk's start folder, links resolved
    int m_depth = 0;
};
