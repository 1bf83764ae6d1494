#pragma once

#include "app/automation/AutomationValue.h"

#include <QStringList>

// How the program gets hold of a presentation server for a run, and the
// out-of-band control it needs around the nine late-bound calls: telling
// whether the server is still there, and ending one that hangs.
class PresentationServer {
public:
    virtual ~PresentationServer();

    // Connects to a server that is already running; raises AutomationError
    // when there is none.
    virtual AutomationObjectPtr attach() = 0;

    // Starts a new server and connects to it; raises AutomationError with a
    // message saying why when that is impossible.
    virtual AutomationObjectPtr start() = 0;

    // False once the connection is gone (the server died, quit or was killed).
    virtual bool alive() const = 0;

    // Ends the server now, from any thread, so a call blocked in it returns.
    // A server this object started is killed; an attached one is cut off.
    virtual void kill() = 0;

    // After "Quit": waits a while for a server this object started to exit,
    // kills it when it does not, and drops the connection.
    virtual void finish() = 0;

    // True when the server in use is one this object started (not one it
    // attached to): only such a server may be replaced by a fresh one.
    virtual bool startedHere() const { return false; }
    // The server's resident memory in bytes, -1 when unknown.
    virtual qint64 residentBytes() const { return -1; }
    // The folders a server started from now on reads decks from and writes
    // pages into; one that confines its servers shows them nothing else.
    virtual void confine(const QStringList& readable, const QStringList& writable) {
        Q_UNUSED(readable);
        Q_UNUSED(writable);
    }
};
