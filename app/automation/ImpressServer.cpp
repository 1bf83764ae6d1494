#include "app/automation/ImpressServer.h"

#include "app/automation/AutomationError.h"
#include "app/automation/ImpressApplication.h"
#include "app/automation/ImpressConnection.h"
#include "app/automation/OfficeProfile.h"
#include "app/automation/OfficeSandbox.h"
#include "app/automation/ProcessGroupMemory.h"
#include "app/automation/SofficeProcess.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <QDir>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
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
    // Where the sandbox gets in the way (an odd file system layout), it can
    // be left out; the office's own blocking of links stays.
    settings.confined = qEnvironmentVariable("DECKVANE_OFFICE_SANDBOX") != QLatin1String("off");
    return settings;
}

ImpressServer::ImpressServer(Settings settings) : m_settings(std::move(settings)) {}

ImpressServer::~ImpressServer() {
    std::shared_ptr<ImpressConnection> connection;
    std::shared_ptr<SofficeProcess> process;
    {
        std::lock_guard lock(m_mutex);
        connection.swap(m_connection);
        process.swap(m_process);
    }
    if (connection)
        connection->cut();
    if (process)
        process->kill();
    releaseProfileSlot();
    removeSandboxFiles();
}

AutomationObjectPtr ImpressServer::adopt(std::shared_ptr<ImpressConnection> connection) {
    std::lock_guard lock(m_mutex);
    m_connection = connection;
    return std::make_shared<ImpressApplication>(std::move(connection));
}

AutomationObjectPtr ImpressServer::attach() {
    return adopt(ImpressConnection::connect(m_settings.officeDir, m_settings.pipeName,
                                            m_settings.attachTimeout));
}

QStringList ImpressServer::startArguments(const QString& pipeName,
                                          const QString& profileDir) const {
    const QString profileUrl = QString::fromLatin1(QUrl::fromLocalFile(profileDir).toEncoded());
    return {QStringLiteral("--headless"),
            QStringLiteral("--invisible"),
            QStringLiteral("--norestore"),
            QStringLiteral("--nologo"),
            QStringLiteral("--nolockcheck"),
            QStringLiteral("--nodefault"),
            QStringLiteral("-env:UserInstallation=") + profileUrl,
            QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipeName)};
}

QString ImpressServer::pipeSocketPath(const QString& pipeName) {
    return ImpressConnection::pipeSocketPath(pipeName);
}

QString ImpressServer::startedPipeName() const {
    std::lock_guard lock(m_mutex);
    return m_startedPipe;
}

QString ImpressServer::startedProfileDir() const {
    std::lock_guard lock(m_mutex);
    return m_startedProfile;
}

void ImpressServer::takeProfileSlot() {
    for (int slot = 0; slot < kProfileSlots; ++slot) {
        const QString profile = slot == 0
                                    ? m_settings.profileDir
                                    : m_settings.profileDir + QStringLiteral("-%1").arg(slot + 1);
        const QString parent = profile.left(profile.lastIndexOf(QLatin1Char('/')));
        if (!parent.isEmpty())
            PosixFiles::makePath(parent);
        const int fd = ::open(LocalPath::toNative(profile + QStringLiteral(".lock")).constData(),
                              O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        removeStaleSandboxFiles(profile);
        std::lock_guard lock(m_mutex);
        m_profileLock = fd;
        m_startedProfile = profile;
        return;
    }
    throw AutomationError(
        QStringLiteral("LibreOffice could not be started: all %1 office profiles under '%2' are "
                       "in use or cannot be written")
            .arg(kProfileSlots)
            .arg(m_settings.profileDir));
}

void ImpressServer::releaseProfileSlot() {
    std::lock_guard lock(m_mutex);
    if (m_profileLock >= 0)
        ::close(m_profileLock);
    m_profileLock = -1;
}

namespace {
// Beside a profile: the sandbox's private folder and pipe link of its office.
const QString kSandboxRecord = QStringLiteral(".sandbox");

QString unguessableSuffix() {
    unsigned char bytes[16] = {};
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw AutomationError(QStringLiteral("LibreOffice could not be started: no random "
                                                 "pipe name could be made"));
        got += std::size_t(n);
    }
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(bytes), sizeof bytes).toHex());
}
} // namespace

AutomationObjectPtr ImpressServer::start() {
    const QString program = m_settings.officeDir + QStringLiteral("/program/soffice");
    if (::access(LocalPath::toNative(program).constData(), X_OK) != 0)
        throw AutomationError(
            QStringLiteral("LibreOffice is not installed: %1 was not found").arg(program));
    // The office names its pipe after the user's account; under a user id
    // the user database does not know (containers run as arbitrary ids) it
    // makes none and is waited for in vain.
    if (!::getpwuid(::getuid()))
        throw AutomationError(
            QStringLiteral("LibreOffice cannot run as user id %1: the id has no entry in the user "
                           "database (/etc/passwd), and LibreOffice needs one for its pipe")
                .arg(::getuid()));
    ImpressConnection::prepare(m_settings.officeDir);
    auto process = std::make_shared<SofficeProcess>();
    {
        std::lock_guard lock(m_mutex);
        if (m_process)
            m_process->kill();
        m_process = process;
    }
    // The office before this one is gone, and its profile with it.
    releaseProfileSlot();
    takeProfileSlot();
    const QString pipe = m_settings.startOnSharedPipe
                             ? m_settings.pipeName
                             : m_settings.pipeName + QLatin1Char('-') + unguessableSuffix();
    QString profile;
    int profileLock = -1;
    {
        std::lock_guard lock(m_mutex);
        m_startedPipe = pipe;
        profile = m_startedProfile;
        profileLock = m_profileLock;
    }
    PosixFiles::makePath(profile);
    OfficeProfile::prepare(profile);
    QStringList command = officeCommand(program, pipe, profile);
    const QString launched = command.takeFirst();
    process->start(launched, command, profileLock, m_settings.memoryLimit);

    const auto deadline = std::chrono::steady_clock::now() + m_settings.startTimeout;
    for (;;) {
        try {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            auto connection = ImpressConnection::connect(
                m_settings.officeDir, pipe,
                std::clamp(left, std::chrono::milliseconds(100), m_settings.attachTimeout));
            QString privateTmp;
            {
                std::lock_guard lock(m_mutex);
                privateTmp = m_privateTmp;
            }
            if (!privateTmp.isEmpty())
                connection->setLinkFolder(privateTmp + QStringLiteral("/links"));
            return adopt(std::move(connection));
        } catch (const AutomationError&) {
            if (!process->running())
                throw AutomationError(
                    QStringLiteral("LibreOffice could not be started: %1 ended at once")
                        .arg(program));
            if (std::chrono::steady_clock::now() >= deadline) {
                process->kill();
                throw AutomationError(
                    QStringLiteral("LibreOffice did not answer within %1 seconds of starting")
                        .arg(double(m_settings.startTimeout.count()) / 1000.0));
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void ImpressServer::confine(const QStringList& readable, const QStringList& writable) {
    std::lock_guard lock(m_mutex);
    m_settings.readableFolders = readable;
    m_settings.writableFolders = writable;
}

QStringList ImpressServer::officeCommand(const QString& program, const QString& pipe,
                                         const QString& profile) {
    removeSandboxFiles();
    const QString bubblewrap = m_settings.confined ? OfficeSandbox::bubblewrap() : QString();
    if (bubblewrap.isEmpty())
        return QStringList{program} + startArguments(pipe, profile);
    // The sandbox's /tmp lies beside the pipe's socket, so a link there
    // leads to the socket the office makes in it.
    const QString socket = pipeSocketPath(pipe);
    const QString socketFolder = socket.left(socket.lastIndexOf(QLatin1Char('/')));
    QByteArray pattern = LocalPath::toNative(socketFolder) + "/deckvane-office-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw AutomationError(
            QStringLiteral("LibreOffice could not be started: no private folder in %1 (%2)")
                .arg(socketFolder, PosixFiles::errorText(errno)));
    OfficeSandbox::View view;
    view.privateTmp = LocalPath::fromNative(pattern);
    {
        std::lock_guard lock(m_mutex);
        m_privateTmp = view.privateTmp;
        view.readable = m_settings.readableFolders;
        view.writable = m_settings.writableFolders;
    }
    view.writable.append(profile);
    const QByteArray link = LocalPath::toNative(socket);
    struct stat info {};
    if (::lstat(link.constData(), &info) == 0 && S_ISLNK(info.st_mode) && info.st_uid == ::getuid())
        ::unlink(link.constData());
    const QByteArray target = pattern + link.mid(link.lastIndexOf('/'));
    if (::symlink(target.constData(), link.constData()) != 0)
        throw AutomationError(
            QStringLiteral("LibreOffice could not be started: the pipe %1 cannot be made (%2)")
                .arg(socket, PosixFiles::errorText(errno)));
    {
        std::lock_guard lock(m_mutex);
        m_pipeLink = socket;
    }
    // Recorded with the profile, for the next office of the slot to clear
    // away should this one be killed before it can.
    PosixFiles::writeAll(profile + kSandboxRecord,
                         LocalPath::toNative(view.privateTmp) + '\n' + link);
    return OfficeSandbox::command(bubblewrap, OfficeSandbox::userNamespace(), program,
                                  startArguments(pipe, profile), view);
}

void ImpressServer::removeSandboxFiles() {
    QString privateTmp;
    QString pipeLink;
    QString profile;
    {
        std::lock_guard lock(m_mutex);
        privateTmp.swap(m_privateTmp);
        pipeLink.swap(m_pipeLink);
        profile = m_startedProfile;
    }
    if (!pipeLink.isEmpty())
        ::unlink(LocalPath::toNative(pipeLink).constData());
    if (!privateTmp.isEmpty()) {
        PosixFiles::removeTree(privateTmp);
        ::unlink(LocalPath::toNative(profile + kSandboxRecord).constData());
    }
}

// The slot's lock is held: no office uses what the record names any more.
// Only our own folder and link of the expected kinds go.
void ImpressServer::removeStaleSandboxFiles(const QString& profile) {
    const QString record = profile + kSandboxRecord;
    if (!PosixFiles::exists(record))
        return;
    const QList<QByteArray> paths = PosixFiles::readAll(record).split('\n');
    struct stat info {};
    const QByteArray folder = paths.value(0);
    if (folder.contains("/deckvane-office-") && ::lstat(folder.constData(), &info) == 0 &&
        S_ISDIR(info.st_mode) && info.st_uid == ::getuid())
        PosixFiles::removeTree(LocalPath::fromNative(folder));
    const QByteArray link = paths.value(1);
    if (link.contains("/OSL_PIPE_") && ::lstat(link.constData(), &info) == 0 &&
        S_ISLNK(info.st_mode) && info.st_uid == ::getuid())
        ::unlink(link.constData());
    ::unlink(LocalPath::toNative(record).constData());
}

bool ImpressServer::alive() const {
    std::lock_guard lock(m_mutex);
    if (!m_connection || !m_connection->alive())
        return false;
    return !m_process || m_process->running();
}

void ImpressServer::kill() {
    std::shared_ptr<ImpressConnection> connection;
    std::shared_ptr<SofficeProcess> process;
    {
        std::lock_guard lock(m_mutex);
        connection = m_connection;
        process = m_process;
    }
    if (process)
        process->kill();
    if (connection)
        connection->cut();
    if (process) {
        releaseProfileSlot();
        removeSandboxFiles();
    }
}

void ImpressServer::finish() {
    std::shared_ptr<ImpressConnection> connection;
    std::shared_ptr<SofficeProcess> process;
    {
        std::lock_guard lock(m_mutex);
        connection.swap(m_connection);
        process.swap(m_process);
    }
    if (process && !process->waitForExit(m_settings.quitTimeout))
        process->kill();
    if (connection)
        connection->cut();
    releaseProfileSlot();
    removeSandboxFiles();
}

bool ImpressServer::startedHere() const {
    std::lock_guard lock(m_mutex);
    return m_connection && m_process;
}

qint64 ImpressServer::residentBytes() const {
    std::shared_ptr<SofficeProcess> process;
    {
        std::lock_guard lock(m_mutex);
        process = m_process;
    }
    return process ? ProcessGroupMemory::residentBytes(process->groupId()) : -1;
}
