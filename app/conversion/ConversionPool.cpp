#include "app/conversion/ConversionPool.h"

#include "app/automation/AutomationError.h"
#include "app/automation/PresentationServer.h"
#include "app/conversion/ConversionEngine.h"
#include "platform/PosixFiles.h"

ConversionPool::ConversionPool(Settings settings, ServerFactory factory)
    : settings_(std::move(settings)), factory_(std::move(factory)),
      buffer_(settings_.reorderCapacity) {
    settings_.workers = std::max(1, settings_.workers);
}

ConversionPool::~ConversionPool() {
    requestStop();
    join();
}

void ConversionPool::submit(const QString& sourcePath, const QString& outputFolder,
                            const QString& page) {
    std::lock_guard lock(mutex_);
    queue_.push_back({submitted_++, sourcePath, outputFolder, page});
    // The offices start as soon as there is something for them to do, while
    // the walk goes on looking for more, and not at all when there is none.
    if (!started_)
        startWorkers();
    jobsChanged_.notify_all();
}

void ConversionPool::submitLine(const QString& line, bool converted) {
    std::lock_guard lock(mutex_);
    buffer_.put(submitted_++, {line, converted});
    linesChanged_.notify_all();
}

void ConversionPool::close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    jobsChanged_.notify_all();
    linesChanged_.notify_all();
}

void ConversionPool::startWorkers() {
    started_ = true;
    workersLeft_ = settings_.workers;
    servers_.resize(size_t(settings_.workers));
    for (int i = 0; i < settings_.workers; ++i)
        threads_.emplace_back([this, i] { work(i); });
}

bool ConversionPool::started() const {
    std::lock_guard lock(mutex_);
    return started_;
}

QList<ReorderBuffer::Line> ConversionPool::takeReady(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    linesChanged_.wait_for(lock, wait, [this] {
        return buffer_.hasReady() || (closed_ && buffer_.next() == submitted_) ||
               (started_ && workersLeft_ == 0);
    });
    const QList<ReorderBuffer::Line> ready = buffer_.takeReady();
    // Room in the buffer may let a worker take the next file.
    if (!ready.isEmpty())
        jobsChanged_.notify_all();
    return ready;
}

bool ConversionPool::finished() const {
    std::lock_guard lock(mutex_);
    return closed_ && buffer_.next() == submitted_;
}

bool ConversionPool::failed() const {
    std::lock_guard lock(mutex_);
    return !stop_ && started_ && workersLeft_ == 0 && !queue_.empty();
}

QString ConversionPool::failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

int ConversionPool::serversReplaced() const {
    std::lock_guard lock(mutex_);
    return replaced_;
}

std::chrono::nanoseconds ConversionPool::serverTime() const {
    std::lock_guard lock(mutex_);
    return serverTime_;
}

std::chrono::nanoseconds ConversionPool::loadStoreTime() const {
    std::lock_guard lock(mutex_);
    return loadStoreTime_;
}

void ConversionPool::requestStop() {
    std::lock_guard lock(mutex_);
    stop_ = true;
    jobsChanged_.notify_all();
}

void ConversionPool::killOffices() {
    std::vector<std::shared_ptr<PresentationServer>> servers;
    {
        std::lock_guard lock(mutex_);
        servers = servers_;
    }
    for (const auto& server : servers)
        if (server)
            server->kill();
}

void ConversionPool::join() {
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        threads.swap(threads_);
    }
    for (std::thread& thread : threads)
        thread.join();
    std::lock_guard lock(mutex_);
    // Joined workers no longer count as started, but the pool must not start
    // new ones for a late submit either.
    stop_ = true;
}

bool ConversionPool::nextJob(Job* job) {
    std::unique_lock lock(mutex_);
    // Strictly in walk order: the next file waits while a file with the same
    // page is in work, so the later deck's page is the one that stays.
    jobsChanged_.wait(lock, [this] {
        if (stop_ || (closed_ && queue_.empty()))
            return true;
        return !queue_.empty() && buffer_.admits(queue_.front().sequence) &&
               !pagesInWork_.contains(queue_.front().page);
    });
    if (stop_ || queue_.empty())
        return false;
    *job = std::move(queue_.front());
    queue_.pop_front();
    pagesInWork_.insert(job->page);
    return true;
}

void ConversionPool::finishJob(const Job& job, ReorderBuffer::Line line) {
    std::lock_guard lock(mutex_);
    pagesInWork_.remove(job.page);
    buffer_.put(job.sequence, std::move(line));
    linesChanged_.notify_all();
    jobsChanged_.notify_all();
}

void ConversionPool::work(int index) {
    std::shared_ptr<PresentationServer> server = factory_(index);
    {
        std::lock_guard lock(mutex_);
        servers_[size_t(index)] = server;
    }
    ConversionEngine engine(server);
    engine.setSuccessText(settings_.successText);
    engine.setFileTimeLimit(settings_.fileTimeLimit);
    engine.setRecyclePolicy(settings_.recyclePolicy);
    QString outputFolder;
    engine.setOutputFolderSource([&outputFolder] { return outputFolder; });
    ReorderBuffer::Line line;
    QObject::connect(&engine, &ConversionEngine::logLine,
                     [&line](const QString& text) { line.text = text; });
    QObject::connect(&engine, &ConversionEngine::fileFinished,
                     [&line](bool converted) { line.converted = converted; });

    bool ready = false;
    try {
        engine.AttachOrStart();
        engine.MakeVisible();
        ready = true;
    } catch (const AutomationError& error) {
        std::lock_guard lock(mutex_);
        failure_ = error.message();
    }
    Job job;
    while (ready && nextJob(&job)) {
        outputFolder = job.outputFolder;
        // A folder of the kept tree; when it cannot be made the save fails
        // and says why.
        PosixFiles::makePath(outputFolder);
        line = {};
        engine.ConvertFile(job.source);
        if (line.converted && settings_.onConverted)
            settings_.onConverted(job.source, job.page);
        finishJob(job, std::move(line));
    }
    if (ready) {
        try {
            engine.Quit();
        } catch (const AutomationError&) {
        }
    }
    engine.Release();
    std::lock_guard lock(mutex_);
    replaced_ += engine.serversReplaced();
    serverTime_ += engine.serverTime();
    loadStoreTime_ += engine.loadStoreTime();
    --workersLeft_;
    linesChanged_.notify_all();
    jobsChanged_.notify_all();
}
