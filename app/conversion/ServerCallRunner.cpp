#include "app/conversion/ServerCallRunner.h"

#include "app/automation/AutomationError.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <thread>

void ServerCallRunner::runErased(std::function<void()> job, Clock::time_point deadline,
                                 const std::function<void()>& stop, const QString& timeoutMessage) {
    auto call = std::make_shared<Call>();
    // The thread owns only the shared record and the job, so an abandoned
    // call can finish at any later time without touching freed memory.
    std::thread worker([call, job = std::move(job)] {
        std::exception_ptr error;
        try {
            job();
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard lock(call->mutex);
        call->error = error;
        call->done = true;
        if (call->loop)
            QMetaObject::invokeMethod(call->loop, "quit", Qt::QueuedConnection);
        call->finished.notify_all();
    });

    if (waitFor(call, deadline)) {
        worker.join();
        if (call->error)
            std::rethrow_exception(call->error);
        return;
    }
    stop();
    if (waitFor(call, Clock::now() + kStopGrace))
        worker.join();
    else
        worker.detach();
    throw AutomationError(timeoutMessage);
}

bool ServerCallRunner::waitFor(const std::shared_ptr<Call>& call, Clock::time_point deadline) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        std::unique_lock lock(call->mutex);
        return call->finished.wait_until(lock, deadline, [&] { return call->done; });
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    {
        std::lock_guard lock(call->mutex);
        if (call->done)
            return true;
        call->loop = &loop;
    }
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        {
            std::lock_guard lock(call->mutex);
            if (call->done || left.count() <= 0) {
                call->loop = nullptr;
                return call->done;
            }
        }
        timer.start(std::min<qint64>(left.count() + 1, 24 * 3600 * 1000));
        if (loop.exec() < 0) {
            // The application is quitting and its event loops return at
            // once: wait without them rather than spin.
            std::unique_lock lock(call->mutex);
            call->loop = nullptr;
            return call->finished.wait_until(lock, deadline, [&] { return call->done; });
        }
    }
}
