#include "app/conversion/BatchRun.h"

#include "app/automation/AutomationError.h"
#include "app/automation/HtmlPublisher.h"
#include "app/conversion/ArchiveIndex.h"
#include "app/conversion/ConversionEngine.h"
#include "app/conversion/OutputLayout.h"
#include "app/conversion/ProgressLine.h"

#include <cstdio>

BatchRun::BatchRun(BatchCommandLine options, QString successText,
                   ConversionPool::ServerFactory factory, Sinks sinks)
    : options_(std::move(options)), successText_(std::move(successText)),
      factory_(std::move(factory)), sinks_(std::move(sinks)) {}

int BatchRun::defaultJobs(int cores, qint64 availableBytes) {
    int jobs = std::max(1, cores);
    if (availableBytes >= 0)
        jobs = std::min<qint64>(jobs, availableBytes / OfficeRecyclePolicy::kMemoryCeiling);
    return std::clamp(jobs, 1, BatchCommandLine::kMaxJobs);
}

qint64 BatchRun::availableMemory() {
    std::FILE* file = std::fopen("/proc/meminfo", "re");
    if (!file)
        return -1;
    char line[256];
    qint64 result = -1;
    while (std::fgets(line, sizeof line, file)) {
        long long kilobytes = 0;
        if (std::sscanf(line, "MemAvailable: %lld kB", &kilobytes) == 1) {
            result = qint64(kilobytes) * 1024;
            break;
        }
    }
    std::fclose(file);
    return result;
}

std::chrono::milliseconds BatchRun::elapsed() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 started_);
}

bool BatchRun::officeStarted() const {
    return pool_ && pool_->started();
}

void BatchRun::killOffices() {
    if (pool_)
        pool_->killOffices();
}

QString BatchRun::progressText() const {
    return ProgressLine::format(done_, total_, failed_, elapsed());
}

void BatchRun::listFile(const QString& path, FolderListing::Kind kind) {
    const OutputLayout layout(options_.folder, options_.outputFolder, options_.tree);
    if (!options_.shard.contains(layout.relativePath(path)))
        return;
    ++done_;
    const QString refusal = ConversionEngine::refusalFor(kind);
    failed_ += refusal.isEmpty() ? 0 : 1;
    sinks_.logLine(ConversionEngine::printable(path + refusal));
}

void BatchRun::takeFile(const QString& path, FolderListing::Kind kind) {
    const OutputLayout layout(options_.folder, options_.outputFolder, options_.tree);
    // Files of other shards belong to other machines: not even a line here.
    if (!options_.shard.contains(layout.relativePath(path)))
        return;
    ++found_;
    const QString page = layout.pageFor(path);
    if (kind != FolderListing::Kind::File)
        pool_->submitLine(ConversionEngine::printable(path + ConversionEngine::refusalFor(kind)),
                          false);
    else if (options_.update && OutputLayout::isUpToDate(path, page))
        pool_->submitLine(ConversionEngine::printable(path + QLatin1String(kUpToDateText)), true);
    else
        pool_->submit(path, layout.folderFor(path), page);
    emitLines(std::chrono::milliseconds(0));
}

void BatchRun::emitLines(std::chrono::milliseconds wait) {
    for (const ReorderBuffer::Line& line : pool_->takeReady(wait)) {
        ++done_;
        failed_ += line.converted ? 0 : 1;
        sinks_.logLine(line.text);
        sinks_.progress(progressText());
    }
}

int BatchRun::run() {
    started_ = std::chrono::steady_clock::now();
    // Relative texts are taken against the folder the run starts in.
    const QString base = ConversionEngine::currentFolder();
    options_.folder = ConversionEngine::absolutePath(options_.folder, base);
    options_.outputFolder = ConversionEngine::absolutePath(options_.outputFolder, base);
    ConversionEngine walker(nullptr);
    walker.setMaskTextSource([this] { return options_.masks; });
    QObject::connect(&walker, &ConversionEngine::statusChanged,
                     [this](const QString& text) { sinks_.status(text); });

    if (options_.listOnly) {
        walker.setFileHandler(
            [this](const QString& path, FolderListing::Kind kind) { listFile(path, kind); });
        walker.WalkFolders(options_.folder);
        total_ = done_;
        return 0;
    }

    try {
        ConversionEngine::CreateOutputFolder(options_.outputFolder);
        HtmlPublisher::removeStaleStaging(options_.outputFolder, HtmlPublisher::kStaleStagingAge);
    } catch (const AutomationError& error) {
        sinks_.error(error.message());
        return 2;
    }
    ConversionPool::Settings settings;
    settings.workers = options_.jobs > 0 ? options_.jobs : 1;
    settings.successText = successText_;
    settings.onConverted = [](const QString& source, const QString& page) {
        ArchiveIndex::writeSourceNote(source, page);
    };
    pool_ = std::make_unique<ConversionPool>(settings, factory_);

    walker.setFileHandler(
        [this](const QString& path, FolderListing::Kind kind) { takeFile(path, kind); });
    walker.WalkFolders(options_.folder);
    total_ = found_;
    pool_->close();
    sinks_.progress(progressText());

    int status = 0;
    while (!pool_->finished()) {
        if (pool_->failed()) {
            sinks_.error(pool_->failure());
            status = 2;
            break;
        }
        emitLines(std::chrono::milliseconds(200));
        if (sinks_.idle)
            sinks_.idle();
        sinks_.progress(progressText());
    }
    pool_->requestStop();
    pool_->join();
    if (status == 0 && failed_ > 0)
        status = 1;
    if (options_.index && status != 2) {
        try {
            ArchiveIndex::write(options_.outputFolder);
        } catch (const AutomationError& error) {
            sinks_.error(error.message());
            status = std::max(status, 1);
        }
    }
    return status;
}
