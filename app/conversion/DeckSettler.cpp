#include "app/conversion/DeckSettler.h"

#include "platform/LocalPath.h"

#include <cerrno>
#include <sys/stat.h>

DeckSettler::DeckSettler(std::chrono::milliseconds settle, LookAt lookAt)
    : m_settle(settle), m_lookAt(std::move(lookAt)) {}

DeckSettler::Look DeckSettler::look(const QString& path) {
    struct stat info {};
    Look result;
    if (::stat(LocalPath::toNative(path).constData(), &info) != 0) {
        // Only a deck that is not there is gone; one that cannot be looked
        // at (a folder closed to us) is there and fails when converted.
        result.exists = errno != ENOENT && errno != ENOTDIR;
        return result;
    }
    result.exists = true;
    result.device = info.st_dev;
    result.inode = info.st_ino;
    result.size = qint64(info.st_size);
    result.modified = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    result.changed = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    return result;
}

void DeckSettler::touch(const QString& path, Clock::time_point now) {
    m_waiting.insert(path, {now + m_settle, m_lookAt(path)});
}

QList<DeckSettler::Settled> DeckSettler::takeSettled(Clock::time_point now) {
    QList<Settled> settled;
    for (auto it = m_waiting.begin(); it != m_waiting.end();) {
        if (it->due > now) {
            ++it;
            continue;
        }
        const Look look = m_lookAt(it.key());
        if (look != it->seen) {
            // Changed without a word since it was last seen: still being
            // written, on a file system that does not tell.
            *it = {now + m_settle, look};
            ++it;
            continue;
        }
        const auto failure = m_failed.constFind(it.key());
        if (failure == m_failed.constEnd() || !look.exists || failure.value() != look)
            settled.append({it.key(), look});
        it = m_waiting.erase(it);
    }
    return settled;
}

std::optional<DeckSettler::Clock::time_point> DeckSettler::nextDue() const {
    std::optional<Clock::time_point> next;
    for (const Waiting& waiting : m_waiting)
        if (!next || waiting.due < *next)
            next = waiting.due;
    return next;
}

void DeckSettler::failed(const QString& path, const Look& look) {
    if (look.exists)
        m_failed.insert(path, look);
}

QStringList DeckSettler::waitingDecks(int limit) const {
    QStringList decks;
    for (auto it = m_waiting.constBegin(); it != m_waiting.constEnd() && decks.size() < limit; ++it)
        decks.append(it.key());
    return decks;
}
