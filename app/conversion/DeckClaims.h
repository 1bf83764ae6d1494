#pragma once

#include "platform/AnchoredFolder.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// Runs that share one tree and one output folder (the tasks of a cluster
// job, each perhaps on its own machine) hand out the decks among themselves
// as they go: a run converts a deck only once it holds the deck's claim, a
// file in the shared output folder created with O_EXCL, which is atomic on a
// network file system as on a local disk, unlike byte-range or flock locks.
//
// The holder touches its claims while it converts. A claim whose time stamp
// stops moving for the expiry belongs to a run that died; the next
// generation of that deck's claim (again created with O_EXCL, so only one
// run wins it) takes over. Whether a stamp moves is judged by this machine's
// steady clock, never by comparing it with the clock that wrote it, so the
// machines' clocks need not agree. A finished deck's claim says so and
// records the deck it finished (its size and modification time): no run of
// the same name converts that deck again, unless it has changed since or
// its page is gone or incomplete (a run name used night after night, as a
// cluster job's name may be), when the next generation of the claim is
// taken as for a dead run's.
//
// A claims folder that cannot be written is an error (FileError), never a
// claim won: two runs would both convert every deck.
class DeckClaims {
public:
    enum class Outcome {
        Mine,      // claimed: convert it
        Elsewhere, // finished by this or another run: leave it
        Held,      // another run is on it: ask again later
    };

    static constexpr std::chrono::seconds kDefaultExpiry{60};
    static constexpr std::chrono::seconds kFailureGrace{2};
    // Claims of runs whose folder has not changed for this long are removed.
    static constexpr std::chrono::hours kOldRunAge{24 * 7};

    // The claims of the run named runName live in
    // outputFolder/.deckvane-claims/runName (made here, and reached, like
    // every claim in it, without following a link; FileError, saying why,
    // when it cannot be made or written in, naming a link in the way). The
    // heartbeat touches held claims every quarter expiry.
    DeckClaims(const QString& outputFolder, const QString& runName,
               std::chrono::milliseconds expiry = kDefaultExpiry);
    ~DeckClaims();
    DeckClaims(const DeckClaims&) = delete;
    DeckClaims& operator=(const DeckClaims&) = delete;

    // A deck as a run finds it: named by its path below the walked folder,
    // the same in every run; the deck itself and its page tell whether a
    // finished claim still holds.
    struct Deck {
        QString relativePath;
        QString sourcePath;
        QString pagePath;
    };
    // Any thread. Raises FileError when the claim can be neither made nor
    // found taken (the folder cannot be written).
    Outcome claim(const Deck& deck);
    // The deck is done: its claim tells the other runs, and the heartbeat
    // lets go of it. A deck that failed (it would fail again elsewhere) is
    // marked a moment later, unless the run is abandoned by then: the
    // signal that ends a run also ends its offices, often first, and the
    // deck they were converting has not failed, it was cut short.
    void finish(const QString& relativePath, bool converted = true);
    // The run ends before its decks are done (a signal): its claims are
    // given back at once rather than left to expire, and from now on nothing
    // is marked finished, so the decks it cut short go to the other runs.
    void abandon();

    // A run name is one folder name: not empty, no "/", not "." or "..".
    static bool isValidRunName(const QString& name);
    // The expiry in seconds from a text (an environment variable); the
    // default when it is missing or not a positive number.
    static std::chrono::milliseconds expiryFrom(const QByteArray& seconds);
    const QString& folder() const { return m_claims->path(); }

private:
    static QString claimName(const QString& key, int generation);
    void append(const QString& name, const QByteArray& line) const;
    void markDone(const QString& key, bool converted);
    void beat();
    // Whether a finished claim's record still describes the deck as it is.
    static bool stillDone(const QByteArray& content, const Deck& deck, const QByteArray& version);

    struct Seen {
        int generation = -1;
        qint64 stamp = 0;
        std::chrono::steady_clock::time_point since;
    };

    std::unique_ptr<AnchoredFolder> m_claims;
    std::chrono::milliseconds m_expiry;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stop = false;
    bool m_abandoned = false;
    QHash<QString, Seen> m_seen; // by key: the last stamp seen of others' claims
    struct Held {
        QString name;       // of the claim file
        QByteArray version; // the deck's when claimed, recorded when finished
    };
    QHash<QString, Held> m_held; // by key: the claim this run holds
    QHash<QString, std::chrono::steady_clock::time_point> m_failed; // by key: when to mark
    std::thread m_heartbeat;
};
