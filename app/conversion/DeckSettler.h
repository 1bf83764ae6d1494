#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>
#include <sys/types.h>

// Decks that changed wait here until they have been left alone for the
// settle time, so a deck still being copied is not converted half-written:
// every change seen starts the wait again, and a deck whose file changed
// behind the watcher's back (a network file system says nothing) waits
// again too, since its state is compared when the time is up. A deck that
// failed is not let through again until its file changes, so a broken deck
// is tried once, not in a loop. Pure bookkeeping: the caller says what the
// time is and how a file is looked at.
class DeckSettler {
public:
    using Clock = std::chrono::steady_clock;

    // What a deck's file looks like: gone, or its identity, size and times.
    struct Look {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        qint64 size = 0;
        qint64 modified = 0; // nanoseconds
        qint64 changed = 0;  // nanoseconds (status change: a chmod, a rename)
        bool operator==(const Look&) const = default;
    };
    using LookAt = std::function<Look(const QString& path)>;
    // stat(), following links as the walk does.
    static Look look(const QString& path);

    struct Settled {
        QString path;
        Look look; // exists false: the deck is gone
    };

    DeckSettler(std::chrono::milliseconds settle, LookAt lookAt = &DeckSettler::look);

    // A change to the deck (or a deck found out of date, or found gone):
    // it waits the settle time from now.
    void touch(const QString& path, Clock::time_point now);
    // The decks left alone for the settle time whose file is as it was when
    // last seen; those that failed as they are now are left out.
    QList<Settled> takeSettled(Clock::time_point now);
    // When the next deck's wait is up.
    std::optional<Clock::time_point> nextDue() const;

    // The deck failed to convert looking as it does: not let through again
    // until it looks different.
    void failed(const QString& path, const Look& look);
    // The deck converted or went: its failure is forgotten.
    void forget(const QString& path) { m_failed.remove(path); }

    int waiting() const { return int(m_waiting.size()); }
    bool isWaiting(const QString& path) const { return m_waiting.contains(path); }
    // Up to `limit` of the waiting decks, in no particular order.
    QStringList waitingDecks(int limit) const;
    int failures() const { return int(m_failed.size()); }

private:
    struct Waiting {
        Clock::time_point due;
        Look seen;
    };

    std::chrono::milliseconds m_settle;
    LookAt m_lookAt;
    QHash<QString, Waiting> m_waiting;
    QHash<QString, Look> m_failed;
};
