#pragma once

#include "app/automation/PresentationServer.h"

#include <QStringList>
#include <atomic>
#include <functional>
#include <mutex>

// A stand-in server with the same nine operations, for tests of the walk.
// "SaveAs" publishes a small export as the office's does (a page titled
// with the deck's file name and naming its path in a comment, a slide page
// and picture in its companion folder, the deck's note), through the same
// publisher. Decks whose file
// name contains a trigger word misbehave:
//   "broken"  Open fails with a server description "Cannot open file."
//   "nosave"  SaveAs fails
//   "hang"    Open blocks until the server is killed
//   "crash"   Open fails and the server dies
//   "slow"    Open takes 300 ms ("slowsave": SaveAs too)
class FakePresentationServer : public PresentationServer {
public:
    bool attachable = false; // a server is "already running"
    bool startable = true;
    std::function<void(const QString&)> onOpen; // runs on the worker thread

    AutomationObjectPtr attach() override;
    AutomationObjectPtr start() override;
    bool alive() const override;
    void kill() override;
    void finish() override;
    bool startedHere() const override { return m_alive && !m_attached; }
    qint64 residentBytes() const override { return memory; }
    void confine(const QStringList& readable, const QStringList& writable) override {
        std::lock_guard lock(m_mutex);
        m_readable = readable;
        m_writable = writable;
    }
    // What the last confine() allowed an office to read and to write.
    QStringList readable() const {
        std::lock_guard lock(m_mutex);
        return m_readable;
    }
    QStringList writable() const {
        std::lock_guard lock(m_mutex);
        return m_writable;
    }

    // What residentBytes() reports.
    std::atomic<qint64> memory{-1};

    // Every call made, in order, e.g. "attach", "start", "visible=true",
    // "Open /x/a.ppt", "name", "SaveAs /out/a.htm 12", "Close", "Quit".
    QStringList calls() const;
    int starts() const { return m_starts; }
    int openDecks() const { return m_openDecks; }
    void record(const QString& call);

    std::atomic<int> m_openDecks{0};

private:
    AutomationObjectPtr makeApplication();

    mutable std::mutex m_mutex;
    QStringList m_calls;
    QStringList m_readable;
    QStringList m_writable;
    std::atomic<bool> m_alive{false};
    std::atomic<bool> m_attached{false};
    std::atomic<int> m_starts{0};
};
