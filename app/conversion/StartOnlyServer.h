#pragma once

#include "app/automation/PresentationServer.h"

#include <memory>

// A server that never attaches: every office it gives is one it starts. For
// the second and later offices of a run, which must not share the office a
// user runs (the first one attaches to that, and quits it at the end).
class StartOnlyServer : public PresentationServer {
public:
    explicit StartOnlyServer(std::shared_ptr<PresentationServer> server)
        : server_(std::move(server)) {}

    AutomationObjectPtr attach() override;
    AutomationObjectPtr start() override { return server_->start(); }
    bool alive() const override { return server_->alive(); }
    void kill() override { server_->kill(); }
    void finish() override { server_->finish(); }
    bool startedHere() const override { return server_->startedHere(); }
    qint64 residentBytes() const override { return server_->residentBytes(); }

private:
    std::shared_ptr<PresentationServer> server_;
};
