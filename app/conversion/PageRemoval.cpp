#include "app/conversion/PageRemoval.h"

#include "app/automation/AutomationError.h"
#include "app/automation/HtmlPublisher.h"
#include "platform/FileError.h"
#include "platform/FileLock.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <optional>

bool PageRemoval::madeFrom(const QString& pagePath, const QString& deckPath) {
    const HtmlPublisher::SourceNote note = HtmlPublisher::sourceNoteOf(pagePath);
    return !note.source.isEmpty() && note.source == deckPath;
}

bool PageRemoval::remove(const OutputLayout& layout, const QString& deckPath) {
    const QString page = layout.pageFor(deckPath);
    const QString folder = layout.folderFor(deckPath);
    if (!madeFrom(page, deckPath))
        return false;
    // The page and its companions go into a staging folder beside them,
    // which goes with everything in it, or with the next run into the
    // folder should this one be killed first.
    QString trash;
    std::optional<HtmlPublisher> staging;
    try {
        staging.emplace(page);
        trash = staging->stagingPage().section(QLatin1Char('/'), 0, -2);
    } catch (const AutomationError& error) {
        throw FileError(error.message());
    }
    const FileLock lock(folder + QLatin1Char('/') + QLatin1String(HtmlPublisher::kLockFile),
                        FileLock::Mode::Exclusive);
    // Asked again under the lock: a conversion may have swapped in another
    // deck's page meanwhile.
    if (!madeFrom(page, deckPath))
        return false;
    const QString companions = HtmlPublisher::companionFolderName(page);
    if (PosixFiles::exists(page))
        PosixFiles::rename(page, trash + QLatin1Char('/') + LocalPath::fileName(page));
    PosixFiles::rename(folder + QLatin1Char('/') + companions,
                       trash + QLatin1Char('/') + companions);
    return true;
}
