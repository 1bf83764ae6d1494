#pragma once

#include "app/automation/PresentationServer.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>
#include <mutex>

class ImpressConnection;
class SofficeProcess;

// The presentation server over LibreOffice Impress. Attaching connects to an
// office the user runs on the program's per-user pipe; starting launches a
// headless office that belongs to this object alone: a pipe name nobody can
// guess and a profile no other office uses at the same time (profiles are
// taken in turn from a few slots, each held by a lock while its office
// lives), so runs side by side never meet each other's office.
class ImpressServer : public PresentationServer {
public:
    struct Settings {
        QString officeDir;  // holds program/soffice
        QString pipeName;   // the per-user pipe
        QString profileDir; // the private user profile (the first slot)
        std::chrono::milliseconds startTimeout{60000};
        std::chrono::milliseconds quitTimeout{20000};
        // An office that accepts on the pipe but does not answer in this
        // time is not attached to.
        std::chrono::milliseconds attachTimeout{5000};
        // Started offices listen on the per-user pipe itself, as one a user
        // starts for others to attach to (tests stand in for that user).
        bool startOnSharedPipe = false;
        // The address space of each process of a started office, in bytes
        // (0: none).
        qint64 memoryLimit = kMemoryLimit;
        // Started offices run in a sandbox with no network, seeing the
        // system, the profile and these folders only (where the system
        // allows one; see OfficeSandbox).
        bool confined = false;
        QStringList readableFolders;
        QStringList writableFolders;
    };

    // A fresh office runs at about 1 GB of address space (300 MB resident)
    // and the largest deck of the test corpus takes it to 1.2 GB; a deck
    // that wants more is one built to exhaust the machine's memory.
    static constexpr qint64 kMemoryLimit = 2048ll * 1024 * 1024;

    // The office found at run time (DECKVANE_LIBREOFFICE_DIR, else the one
    // the program was built against), the pipe "deckvane-<uid>" and a profile
    // in the user's cache folder; DECKVANE_OFFICE_PIPE and
    // DECKVANE_OFFICE_PROFILE override the last two. Started offices are
    // confined unless DECKVANE_OFFICE_SANDBOX is "off".
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
    void confine(const QStringList& readable, const QStringList& writable) override;

    const Settings& settings() const { return m_settings; }
    QStringList startArguments(const QString& pipeName, const QString& profileDir) const;
    // The pipe and profile of the office this object started last.
    QString startedPipeName() const;
    QString startedProfileDir() const;

    // Where the socket of a named pipe lives.
    static QString pipeSocketPath(const QString& pipeName);

    // How many offices may run side by side with profiles of their own.
    static constexpr int kProfileSlots = 32;

private:
    AutomationObjectPtr adopt(std::shared_ptr<ImpressConnection> connection);
    // Locks a free profile slot; the lock goes with the office's processes.
    void takeProfileSlot();
    void releaseProfileSlot();
    // The command that starts the office, in its sandbox when confined.
    QStringList officeCommand(const QString& program, const QString& pipe, const QString& profile);
    void removeSandboxFiles();
    static void removeStaleSandboxFiles(const QString& profile);

    Settings m_settings;
    mutable std::mutex m_mutex;
    std::shared_ptr<ImpressConnection> m_connection;
    std::shared_ptr<SofficeProcess> m_process;
    QString m_startedPipe;
    QString m_startedProfile;
    int m_profileLock = -1;
    QString m_privateTmp; // the sandbox's /tmp
    QString m_pipeLink;   // where the program finds the sandboxed office's pipe
};
