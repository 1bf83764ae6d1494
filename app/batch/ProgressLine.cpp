#include "app/batch/ProgressLine.h"

QString ProgressLine::clock(std::chrono::seconds time) {
    const qint64 seconds = std::max<qint64>(0, time.count());
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString ProgressLine::format(int done, int total, int failed, std::chrono::milliseconds elapsed) {
    using std::chrono::duration_cast;
    using std::chrono::seconds;
    QString text = total < 0 ? QStringLiteral("%1 files").arg(done)
                             : QStringLiteral("%1 of %2 files").arg(done).arg(total);
    text += QStringLiteral(", %1 failed, %2 elapsed")
                .arg(failed)
                .arg(clock(duration_cast<seconds>(elapsed)));
    // The rate so far is the best guess there is; before the first file
    // there is none.
    if (total >= 0 && done > 0 && done < total) {
        const auto left = elapsed * (total - done) / done;
        text += QStringLiteral(", about %1 left").arg(clock(duration_cast<seconds>(left)));
    }
    return text;
}
