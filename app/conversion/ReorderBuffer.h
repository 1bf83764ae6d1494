#pragma once

#include <QList>
#include <QMap>
#include <QString>

// Puts the log lines of files that finish in any order back into walk
// order. Each file has a sequence number (0, 1, 2, ... in walk order); a
// line is released only when every earlier file's line has been. At most
// `capacity` files past the oldest unreleased one may be taken on, so one
// slow deck holds back a bounded number of lines, never the whole run.
// Not thread-safe: the owner locks.
class ReorderBuffer {
public:
    struct Line {
        QString text;
        bool converted = false;
    };

    explicit ReorderBuffer(int capacity) : m_capacity(capacity < 1 ? 1 : capacity) {}

    // Whether the file with this sequence number may be started now.
    bool admits(qint64 sequence) const { return sequence < m_next + m_capacity; }
    void put(qint64 sequence, Line line);
    // Whether takeReady() would release anything.
    bool hasReady() const { return !m_held.isEmpty() && m_held.firstKey() == m_next; }
    // The lines now in order, oldest first; they are released.
    QList<Line> takeReady();

    // Sequence number of the oldest file whose line is not yet released.
    qint64 next() const { return m_next; }
    int held() const { return int(m_held.size()); }
    int capacity() const { return m_capacity; }

private:
    int m_capacity;
    qint64 m_next = 0;
    QMap<qint64, Line> m_held;
};
