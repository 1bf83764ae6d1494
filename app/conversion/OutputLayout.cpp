#include "app/conversion/OutputLayout.h"

#include "app/automation/HtmlPublisher.h"
#include "app/conversion/ArchiveNames.h"
#include "app/conversion/ConversionEngine.h"
#include "platform/AnchoredFolder.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"

#include <QRegularExpression>

#include <sys/stat.h>

QString OutputLayout::relativePath(const QString& sourcePath) const {
    if (sourcePath.size() > m_walked.size() + 1 && sourcePath.startsWith(m_walked) &&
        sourcePath.at(m_walked.size()) == QLatin1Char('/'))
        return sourcePath.mid(m_walked.size() + 1);
    return sourcePath;
}

QString OutputLayout::folderFor(const QString& sourcePath) const {
    if (!m_tree)
        return m_output;
    const QString relative = relativePath(sourcePath);
    const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return m_output;
    QString folder = m_output;
    for (const QString& part : relative.left(slash).split(QLatin1Char('/')))
        folder += QLatin1Char('/') + folderName(part);
    return folder;
}

QString OutputLayout::folderName(const QString& name) {
    // Pages are "<name>.htm", companions "<name>_files", and the archive
    // has names of its own; a name of that form, with any "_" after it,
    // takes one more, so those that had one stay apart from those that had
    // none.
    static const QRegularExpression taken(QStringLiteral("(?:_files|\\.html?)_*$"));
    return taken.match(name).hasMatch() || ArchiveNames::isReserved(name) ? name + QLatin1Char('_')
                                                                          : name;
}

QString OutputLayout::pageFor(const QString& sourcePath) const {
    return folderFor(sourcePath) + QLatin1Char('/') +
           ConversionEngine::baseName(LocalPath::fileName(sourcePath)) + QStringLiteral(".htm");
}

bool OutputLayout::isUpToDate(const QString& sourcePath) const {
    struct stat source {};
    struct stat page {};
    if (::stat(LocalPath::toNative(sourcePath).constData(), &source) != 0)
        return false;
    const QString relativePage = pageFor(sourcePath).mid(m_output.size() + 1);
    const qsizetype slash = relativePage.lastIndexOf(QLatin1Char('/'));
    const QString pageName = relativePage.mid(slash + 1);
    HtmlPublisher::SourceNote note;
    try {
        const AnchoredFolder folder =
            AnchoredFolder(m_output).folder(slash < 0 ? QString() : relativePage.left(slash));
        if (!folder.status(pageName, &page) || !S_ISREG(page.st_mode) ||
            !HtmlPublisher::isComplete(folder, pageName))
            return false;
        note = HtmlPublisher::sourceNoteOf(folder, pageName);
    } catch (const FileError&) {
        return false;
    }
    // A deck dated in the future is never older than its page: its note
    // still says when it was converted last.
    if (noteNames(note.source, sourcePath) && note.seconds == source.st_mtim.tv_sec &&
        note.nanoseconds == source.st_mtim.tv_nsec)
        return true;
    if (page.st_mtim.tv_sec != source.st_mtim.tv_sec)
        return page.st_mtim.tv_sec > source.st_mtim.tv_sec;
    return page.st_mtim.tv_nsec > source.st_mtim.tv_nsec;
}

bool OutputLayout::noteNames(const QString& noteSource, const QString& sourcePath) const {
    return !noteSource.isEmpty() &&
           (noteSource == relativePath(sourcePath) || noteSource == sourcePath);
}
