#pragma once

#include <QString>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QEventLoop;

// Runs one blocking call to the presentation server on a worker thread while
// the calling thread keeps processing its events, so the window stays live
// while a large deck converts. Calls still happen one at a time, in order.
class ServerCallRunner {
public:
    using Clock = std::chrono::steady_clock;

    // How long a call may go on after it was told to stop before it is
    // abandoned to its thread.
    static constexpr std::chrono::seconds kStopGrace{15};

    // Runs job; when it is not done by the deadline, calls stop (which must
    // make the job return, e.g. by killing the server) and raises
    // AutomationError with timeoutMessage. Errors of the job are re-raised.
    template <typename R>
    static R run(std::function<R()> job, Clock::time_point deadline,
                 const std::function<void()>& stop, const QString& timeoutMessage) {
        auto result = std::make_shared<std::optional<R>>();
        runErased([job = std::move(job), result] { result->emplace(job()); }, deadline, stop,
                  timeoutMessage);
        return std::move(**result);
    }

    static void runVoid(std::function<void()> job, Clock::time_point deadline,
                        const std::function<void()>& stop, const QString& timeoutMessage) {
        runErased(std::move(job), deadline, stop, timeoutMessage);
    }

private:
    struct Call {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        std::exception_ptr error;
        QEventLoop* loop = nullptr;
    };

    static void runErased(std::function<void()> job, Clock::time_point deadline,
                          const std::function<void()>& stop, const QString& timeoutMessage);
    // Waits for the call to finish or the deadline to pass; true when done.
    static bool waitFor(const std::shared_ptr<Call>& call, Clock::time_point deadline);
};
