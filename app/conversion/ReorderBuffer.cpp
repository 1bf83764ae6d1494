#include "app/conversion/ReorderBuffer.h"

void ReorderBuffer::put(qint64 sequence, Line line) {
    // A number already released or given twice would break the order for
    // good; it is a programming error, so it is dropped rather than queued.
    if (sequence < next_ || held_.contains(sequence))
        return;
    held_.insert(sequence, std::move(line));
}

QList<ReorderBuffer::Line> ReorderBuffer::takeReady() {
    QList<Line> ready;
    for (auto it = held_.begin(); it != held_.end() && it.key() == next_; it = held_.erase(it)) {
        ready.append(std::move(it.value()));
        ++next_;
    }
    return ready;
}
