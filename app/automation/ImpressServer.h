#pragma once

#include "app/automation/PresentationServer.h"

#include <QString>
#include <chrono>
#include <memory>
#include <mutex>

class ImpressConnection;
class SofficeProcess;

// The presentation server over LibreOffice Impress. Attaching connects to an
// office listening on the program's pipe; starting launches a headless office
// with a private profile on that pipe and connects within a deadline.
class ImpressServer : public PresentationServer {
public:
    struct Settings {
        QString officeDir;  // holds program/soffice
        QString pipeName;   // the per-user pipe
        QString profileDir; // the private user profile
        std::chrono::milliseconds startTimeout{60000};
        std::chrono::milliseconds quitTimeout{20000};
    };

    // The office found at run time (DECKVANE_LIBREOFFICE_DIR, else the one
    // the program was built against), the pipe "deckvane-<uid>" and a profile
    // in the user's cache folder; DECKVANE_OFFICE_PIPE and
    // DECKVANE_OFFICE_PROFILE override the last two.
    static Settings defaultSettings();

    explicit ImpressServer(Settings settings = defaultSettings());
    ~ImpressServer() override;

    AutomationObjectPtr attach() override;
    AutomationObjectPtr start() override;
    bool alive() const override;
    void kill() override;
    void finish() override;
    bool startedHere() const override;
    qint64 residentBytes() const override;

    const Settings& settings() const { return settings_; }
    QStringList startArguments() const;

private:
    AutomationObjectPtr adopt(std::shared_ptr<ImpressConnection> connection);

    Settings settings_;
    mutable std::mutex mutex_;
    std::shared_ptr<ImpressConnection> connection_;
    std::shared_ptr<SofficeProcess> process_;
};
