#pragma once

#include <QObject>
#include <functional>

// SIGINT, SIGTERM and SIGHUP end the program the same way in every front
// end: on the main thread's event loop (the walk and every wait for the
// server keep it turning) the office is ended, the staging folders of
// unfinished exports are removed, and the program exits with 128 + the
// signal's number. The office would also end by itself with the program;
// ending it first keeps the order of things plain.
class TerminationSignals {
public:
    // endServers ends the servers the program holds (kill() on each);
    // programName prefixes the "interrupted" line on standard error.
    // False when the signals could not be routed (they then end the program
    // at once, which still takes the office along).
    static bool install(QObject* parent, std::function<void()> endServers,
                        const QString& programName);
};
