#include "app/conversion/PageRemoval.h"

#include "app/automation/AutomationError.h"
#include "app/automation/HtmlPublisher.h"
#include "platform/AnchoredFolder.h"
#include "platform/FileError.h"
#include "platform/FileLock.h"

#include <optional>

namespace {

struct Place {
    QString relativePage; // below the output folder
    QString folder;       // of the page, below the output folder
    QString name;         // of the page
};

Place placeOf(const OutputLayout& layout, const QString& deckPath) {
    const QString relativePage = layout.pageFor(deckPath).mid(layout.outputFolder().size() + 1);
    const qsizetype slash = relativePage.lastIndexOf(QLatin1Char('/'));
    return {relativePage, slash < 0 ? QString() : relativePage.left(slash),
            relativePage.mid(slash + 1)};
}

bool namesDeck(const OutputLayout& layout, const AnchoredFolder& folder, const QString& page,
               const QString& deckPath) {
    return layout.noteNames(HtmlPublisher::sourceNoteOf(folder, page).source, deckPath);
}

} // namespace

bool PageRemoval::madeFrom(const OutputLayout& layout, const QString& deckPath) {
    const Place place = placeOf(layout, deckPath);
    try {
        return namesDeck(layout, AnchoredFolder(layout.outputFolder()).folder(place.folder),
                         place.name, deckPath);
    } catch (const FileError&) {
        return false;
    }
}

bool PageRemoval::remove(const OutputLayout& layout, const QString& deckPath) {
    const Place place = placeOf(layout, deckPath);
    // Opened once, for the question and the removal: a page whose folder
    // cannot be reached was not made from the deck, as madeFrom says.
    std::optional<AnchoredFolder> reached;
    try {
        reached.emplace(AnchoredFolder(layout.outputFolder()).folder(place.folder));
    } catch (const FileError&) {
        return false;
    }
    const AnchoredFolder& folder = *reached;
    if (!namesDeck(layout, folder, place.name, deckPath))
        return false;
    // The page and its companions go into a staging folder beside them,
    // which goes with everything in it, or with the next run into the
    // folder should this one be killed first.
    std::optional<HtmlPublisher> staging;
    try {
        staging.emplace(layout.outputFolder(), place.relativePage);
    } catch (const AutomationError& error) {
        throw FileError(error.message());
    }
    const QString trash = staging->stagingPage().section(QLatin1Char('/'), -2, -2);
    const FileLock lock(folder, QLatin1String(HtmlPublisher::kLockFile), FileLock::Mode::Exclusive);
    // Asked again under the lock: a conversion may have swapped in another
    // deck's page meanwhile.
    if (!namesDeck(layout, folder, place.name, deckPath))
        return false;
    const QString companions = HtmlPublisher::companionFolderName(place.name);
    if (folder.exists(place.name))
        folder.rename(place.name, trash + QLatin1Char('/') + place.name);
    folder.rename(companions, trash + QLatin1Char('/') + companions);
    return true;
}
