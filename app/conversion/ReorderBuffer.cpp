#include "app/conversion/ReorderBuffer.h"

void ReorderBuffer::put(qint64 sequence, Line line) {
    // A number already released or given twice would break the order for
    // good; it is a programming error, so it is dropped rather than queued.
    if (sequence < m_next || m_held.contains(sequence))
        return;
    m_held.insert(sequence, std::move(line));
}

QList<ReorderBuffer::Line> ReorderBuffer::takeReady() {
    QList<Line> ready;
    for (auto it = m_held.begin(); it != m_held.end() && it.key() == m_next;
         it = m_held.erase(it)) {
        ready.append(std::move(it.value()));
        ++m_next;
    }
    return ready;
}
