#pragma once

#include "app/automation/PresentationServer.h"

#include <memory>

// A server that never attaches: every office it gives is one it starts. For
// the second and later offices of a run, which must not share the office a
// user runs (the first one attaches to that, and quits it at the end).
class StartOnlyServer : public PresentationServer {
public:
    explicit StartOnlyServer(std::shared_ptr<PresentationServer> server)
        : m_server(std::move(server)) {}

    AutomationObjectPtr attach() override;
    AutomationObjectPtr start() override { return m_server->start(); }
    bool alive() const override { return m_server->alive(); }
    void kill() override { m_server->kill(); }
    void finish() override { m_server->finish(); }
    bool startedHere() const override { return m_server->startedHere(); }
    qint64 residentBytes() const override { return m_server->residentBytes(); }
    void confine(const QStringList& readable, const QStringList& writable) override {
        m_server->confine(readable, writable);
    }

private:
    std::shared_ptr<PresentationServer> m_server;
};
