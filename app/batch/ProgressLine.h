#pragma once

#include <QString>
#include <chrono>

// The one updating line deckvane-batch shows on a terminal: files done of
// the total, failures, time spent and an estimate of the time left.
class ProgressLine {
public:
    // total < 0: the walk has not finished counting yet.
    static QString format(int done, int total, int failed, std::chrono::milliseconds elapsed);
    // "m:ss", or "h:mm:ss" from an hour on.
    static QString clock(std::chrono::seconds time);
};
