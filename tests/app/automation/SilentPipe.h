#pragma once

#include "app/automation/ImpressServer.h"
#include "app/automation/LocalPath.h"

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// A socket on a pipe's path made by a test: it accepts and never answers,
// as a frozen office or a squatter would.
class SilentPipe {
public:
    explicit SilentPipe(const QString& name) : path_(ImpressServer::pipeSocketPath(name)) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray native = LocalPath::toNative(path_);
        std::strncpy(address.sun_path, native.constData(), sizeof address.sun_path - 1);
        ::unlink(native.constData());
        bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 ::listen(fd_, 8) == 0;
    }
    SilentPipe(const SilentPipe&) = delete;
    SilentPipe& operator=(const SilentPipe&) = delete;
    ~SilentPipe() {
        ::close(fd_);
        ::unlink(LocalPath::toNative(path_).constData());
    }
    bool bound() const { return bound_; }
    QByteArray native() const { return LocalPath::toNative(path_); }

private:
    QString path_;
    int fd_ = -1;
    bool bound_ = false;
};
