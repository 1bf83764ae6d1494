#include "app/automation/ImpressServer.h"

#include "app/automation/AutomationError.h"
#include "app/automation/ImpressApplication.h"
#include "app/automation/ImpressConnection.h"
#include "app/automation/SofficeProcess.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <QDir>
#include <QStandardPaths>
#include <QUrl>
#include <thread>
#include <unistd.h>

ImpressServer::Settings ImpressServer::defaultSettings() {
    Settings settings;
    settings.officeDir =
        qEnvironmentVariable("DECKVANE_LIBREOFFICE_DIR", QStringLiteral(DECKVANE_LIBREOFFICE_DIR));
    settings.pipeName =
        qEnvironmentVariable("DECKVANE_OFFICE_PIPE", QStringLiteral("deckvane-%1").arg(::getuid()));
    QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        cache = QDir::tempPath();
    settings.profileDir = qEnvironmentVariable("DECKVANE_OFFICE_PROFILE",
                                               cache + QStringLiteral("/deckvane/office-profile"));
    return settings;
}

ImpressServer::ImpressServer(Settings settings) : settings_(std::move(settings)) {}

ImpressServer::~ImpressServer() {
    std::shared_ptr<ImpressConnection> connection;
    std::shared_ptr<SofficeProcess> process;
    {
        std::lock_guard lock(mutex_);
        connection.swap(connection_);
        process.swap(process_);
    }
    if (connection)
        connection->cut();
    if (process)
        process->kill();
}

AutomationObjectPtr ImpressServer::adopt(std::shared_ptr<ImpressConnection> connection) {
    std::lock_guard lock(mutex_);
    connection_ = connection;
    return std::make_shared<ImpressApplication>(std::move(connection));
}

AutomationObjectPtr ImpressServer::attach() {
    return adopt(ImpressConnection::connect(settings_.officeDir, settings_.pipeName));
}

QStringList ImpressServer::startArguments() const {
    const QString profileUrl =
        QString::fromLatin1(QUrl::fromLocalFile(settings_.profileDir).toEncoded());
    return {QStringLiteral("--headless"),
            QStringLiteral("--invisible"),
            QStringLiteral("--norestore"),
            QStringLiteral("--nologo"),
            QStringLiteral("--nolockcheck"),
            QStringLiteral("--nodefault"),
            QStringLiteral("-env:UserInstallation=") + profileUrl,
            QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext")
                .arg(settings_.pipeName)};
}

AutomationObjectPtr ImpressServer::start() {
    const QString program = settings_.officeDir + QStringLiteral("/program/soffice");
    if (::access(LocalPath::toNative(program).constData(), X_OK) != 0)
        throw AutomationError(
            QStringLiteral("LibreOffice is not installed: %1 was not found").arg(program));
    ImpressConnection::prepare(settings_.officeDir);
    PosixFiles::makePath(settings_.profileDir);
    auto process = std::make_shared<SofficeProcess>();
    {
        std::lock_guard lock(mutex_);
        if (process_)
            process_->kill();
        process_ = process;
    }
    process->start(program, startArguments());

    const auto deadline = std::chrono::steady_clock::now() + settings_.startTimeout;
    for (;;) {
        try {
            return adopt(ImpressConnection::connect(settings_.officeDir, settings_.pipeName));
        } catch (const AutomationError&) {
            if (!process->running())
                throw AutomationError(
                    QStringLiteral("LibreOffice could not be started: %1 ended at once")
                        .arg(program));
            if (std::chrono::steady_clock::now() >= deadline) {
                process->kill();
                throw AutomationError(
                    QStringLiteral("LibreOffice did not answer within %1 seconds of starting")
                        .arg(settings_.startTimeout.count() / 1000));
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool ImpressServer::alive() const {
    std::lock_guard lock(mutex_);
    if (!connection_ || !connection_->alive())
        return false;
    return !process_ || process_->running();
}

void ImpressServer::kill() {
    std::shared_ptr<ImpressConnection> connection;
    std::shared_ptr<SofficeProcess> process;
    {
        std::lock_guard lock(mutex_);
        connection = connection_;
        process = process_;
    }
    if (process)
        process->kill();
    if (connection)
        connection->cut();
}

void ImpressServer::finish() {
    std::shared_ptr<ImpressConnection> connection;
    std::shared_ptr<SofficeProcess> process;
    {
        std::lock_guard lock(mutex_);
        connection.swap(connection_);
        process.swap(process_);
    }
    if (process && !process->waitForExit(settings_.quitTimeout))
        process->kill();
    if (connection)
        connection->cut();
}
