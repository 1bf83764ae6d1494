#include "app/conversion/TerminationSignals.h"

#include "app/automation/HtmlPublisher.h"

#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int signal) {
    const char byte = char(signal);
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

} // namespace

bool TerminationSignals::install(QObject* parent, std::function<void()> endServers,
                                 const QString& programName) {
    if (signalPipe[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return false;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, parent);
    const QByteArray prefix = programName.toUtf8();
    QObject::connect(notifier, &QSocketNotifier::activated, [endServers, prefix] {
        char byte = 0;
        if (::read(signalPipe[1], &byte, 1) != 1)
            return;
        std::fprintf(stderr, "%s: interrupted\n", prefix.constData());
        std::fflush(stderr);
        if (endServers)
            endServers();
        HtmlPublisher::discardAllStaging();
        std::_Exit(128 + byte);
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    return true;
}
