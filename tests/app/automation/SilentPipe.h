#pragma once

#include "app/automation/ImpressServer.h"
#include "platform/LocalPath.h"

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// A socket on a pipe's path made by a test: it accepts and never answers,
// as a frozen office or a squatter would.
class SilentPipe {
public:
    explicit SilentPipe(const QString& name) : m_path(ImpressServer::pipeSocketPath(name)) {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray native = LocalPath::toNative(m_path);
        std::strncpy(address.sun_path, native.constData(), sizeof address.sun_path - 1);
        ::unlink(native.constData());
        m_bound = ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                  ::listen(m_fd, 8) == 0;
    }
    SilentPipe(const SilentPipe&) = delete;
    SilentPipe& operator=(const SilentPipe&) = delete;
    ~SilentPipe() {
        ::close(m_fd);
        ::unlink(LocalPath::toNative(m_path).constData());
    }
    bool bound() const { return m_bound; }
    QByteArray native() const { return LocalPath::toNative(m_path); }

private:
    QString m_path;
    int m_fd = -1;
    bool m_bound = false;
};
