#include "app/conversion/ArchiveIndex.h"

#include "app/automation/DeckTitle.h"
#include "app/automation/HtmlPublisher.h"
#include "app/automation/PageSanitizer.h"
#include "app/conversion/ArchiveNames.h"
#include "app/conversion/FolderListing.h"
#include "platform/AnchoredFolder.h"
#include "platform/FileError.h"
#include "platform/FileLock.h"
#include "platform/LocalPath.h"
#include "platform/StagingName.h"

#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The page's head is at its start; reading more only costs time on large
// archives.
QByteArray readHead(const AnchoredFolder& folder, const QString& name, qint64 limit) {
    try {
        return folder.read(name, limit);
    } catch (const FileError&) {
        return {};
    }
}

bool isSlidePage(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^img[0-9]+\\.html$"));
    return pattern.match(name).hasMatch();
}

bool isKind(const AnchoredFolder& folder, const QString& name, mode_t kind) {
    struct stat info {};
    return folder.status(name, &info) && (info.st_mode & S_IFMT) == kind;
}

// A page's stamp (ArchiveIndex::Page::stamp) from what the folder says of it.
QByteArray stampFrom(const struct stat& info) {
    return QByteArray::number(qint64(info.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qint64(info.st_mtim.tv_nsec)) + '-' +
           QByteArray::number(quint64(info.st_ino));
}

// The page named name in folder, at relativePath below the output folder.
bool readPageIn(const AnchoredFolder& folder, const QString& name, const QString& relativePath,
                ArchiveIndex::Page* page) {
    const QString companion = HtmlPublisher::companionFolderName(name);
    QStringList files;
    try {
        files = folder.folder(companion).names();
    } catch (const FileError&) {
        return false;
    }
    page->relativePath = relativePath;
    page->slides = 0;
    page->thumbnail = false;
    for (const QString& file : files) {
        if (isSlidePage(file))
            ++page->slides;
        else if (file == QLatin1String("thumb0.jpg"))
            page->thumbnail = true;
    }
    struct stat info {};
    page->stamp = folder.status(name, &info) ? stampFrom(info) : QByteArray();
    const HtmlPublisher::SourceNote note = HtmlPublisher::sourceNoteOf(folder, name);
    // Notes of earlier versions name the deck by a path of the converting
    // machine, which is not shown; its file name is.
    page->source =
        note.source.startsWith(QLatin1Char('/')) ? LocalPath::fileName(note.source) : note.source;
    page->title = DeckTitle::of(readHead(folder, name, 4096),
                                note.source.isEmpty() ? name : LocalPath::fileName(note.source));
    if (!note.source.isEmpty())
        page->date = QDateTime::fromSecsSinceEpoch(note.seconds);
    else if (folder.status(name, &info))
        page->date = QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec);
    else
        page->date = QDateTime();
    return true;
}

// Called with every ".htm" file of a folder, its name, its path below the
// output folder and whether its companion folder is there.
using PageFound = std::function<void(const AnchoredFolder& folder, const QString& name,
                                     const QString& relativePath, bool companion)>;

// The folder's pages, then its subfolders'. Nothing is reached through a
// link: a link in the output folder may lead anywhere, and what it leads
// to is no page of the archive's. With `locked`, each folder is read
// holding its lock, so a page being swapped is seen before or after, never
// between its old and new companion folder.
void scanFolder(const AnchoredFolder& root, const QString& relative, const PageFound& found,
                bool locked) {
    std::optional<AnchoredFolder> folder;
    try {
        folder.emplace(root.folder(relative));
    } catch (const FileError&) {
        return; // gone, or swapped for a link since it was listed
    }
    std::optional<FileLock> lock;
    if (locked)
        lock.emplace(*folder, QLatin1String(HtmlPublisher::kLockFile), FileLock::Mode::Shared);
    QStringList names;
    try {
        names = folder->names();
    } catch (const FileError&) {
        return;
    }
    QSet<QString> folders;
    for (const QString& name : std::as_const(names))
        if (isKind(*folder, name, S_IFDIR))
            folders.insert(name);
    const QString prefix = relative.isEmpty() ? QString() : relative + QLatin1Char('/');
    QSet<QString> companions;
    for (const QString& name : std::as_const(names)) {
        if (!name.endsWith(QLatin1String(".htm")) || !isKind(*folder, name, S_IFREG))
            continue;
        const QString companion = HtmlPublisher::companionFolderName(name);
        // Only pages the converter made come with their companion folder.
        // The index itself and other files are left out.
        const bool page = folders.contains(companion);
        if (page)
            companions.insert(companion);
        found(*folder, name, prefix + name, page);
    }
    lock.reset();
    folder.reset();
    for (const QString& name : std::as_const(names)) {
        if (folders.contains(name) && !FolderListing::isHidden(name) &&
            !companions.contains(name) &&
            !(relative.isEmpty() && ArchiveNames::all().contains(name)))
            scanFolder(root, prefix + name, found, locked);
    }
}

} // namespace

bool ArchiveIndex::readPage(const QString& outputFolder, const QString& relativePath, Page* page) {
    const qsizetype slash = relativePath.lastIndexOf(QLatin1Char('/'));
    try {
        const AnchoredFolder folder =
            AnchoredFolder(outputFolder).folder(slash < 0 ? QString() : relativePath.left(slash));
        return readPageIn(folder, relativePath.mid(slash + 1), relativePath, page);
    } catch (const FileError&) {
        return false;
    }
}

QList<ArchiveIndex::Page> ArchiveIndex::scan(const QString& outputFolder) {
    QList<Page> pages;
    scanFolder(
        AnchoredFolder(outputFolder), QString(),
        [&](const AnchoredFolder& folder, const QString& name, const QString& relativePath,
            bool companion) {
            Page page;
            if (companion && readPageIn(folder, name, relativePath, &page))
                pages.append(page);
        },
        true);
    std::sort(pages.begin(), pages.end(),
              [](const Page& a, const Page& b) { return a.relativePath < b.relativePath; });
    return pages;
}

QList<ArchiveIndex::Listed> ArchiveIndex::list(const QString& outputFolder) {
    QList<Listed> pages;
    // Without the folders' locks: one open a folder, not two. A page caught
    // between its companion folders shows without a stamp.
    scanFolder(
        AnchoredFolder(outputFolder), QString(),
        [&](const AnchoredFolder& folder, const QString& name, const QString& relativePath,
            bool companion) {
            struct stat info {};
            pages.append({relativePath, companion && folder.status(name, &info) ? stampFrom(info)
                                                                                : QByteArray()});
        },
        false);
    return pages;
}

QString ArchiveIndex::titleOf(const QByteArray& html) {
    return DeckTitle::titleElement(html);
}

QByteArray ArchiveIndex::escape(const QString& text) {
    return text.toHtmlEscaped().toUtf8();
}

QByteArray ArchiveIndex::link(const QString& relativePath) {
    return LocalPath::toNative(relativePath).toPercentEncoding("/");
}

QByteArray ArchiveIndex::render(const QList<Page>& pages) {
    QByteArray html;
    html.reserve(256 + pages.size() * 512);
    html += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"\n"
            "     \"http://www.w3.org/TR/html4/transitional.dtd\">\n"
            "<html>\n<head>\n";
    // Titles and paths come from the decks: escaped as text below, and the
    // page allows no script at all.
    html += PageSanitizer::headPrelude();
    html += "  <meta HTTP-EQUIV=CONTENT-TYPE CONTENT=\"text/html; charset=utf-8\">\n"
            "  <title>Index</title>\n</head>\n"
            "<body text=\"#000000\" bgcolor=\"#FFFFFF\" link=\"#000080\" vlink=\"#0000CC\" "
            "alink=\"#000080\">\n<center>\n<h2>Index</h2>\n<p>";
    html += QByteArray::number(pages.size()) + (pages.size() == 1 ? " page" : " pages");
    html += "</p>\n</center>\n<center><table width=\"90%\" cellpadding=\"4\">\n";
    for (const Page& page : pages) {
        const QByteArray href = link(page.relativePath);
        const qsizetype slash = page.relativePath.lastIndexOf(QLatin1Char('/'));
        const QString name = page.relativePath.mid(slash + 1);
        html += "<tr>\n<td valign=\"top\" width=\"140\">";
        if (page.thumbnail)
            html += "<a href=\"" + href + "\"><img src=\"" +
                    link(page.relativePath.left(slash + 1) +
                         HtmlPublisher::companionFolderName(name) + QStringLiteral("/thumb0.jpg")) +
                    "\" width=\"128\" alt=\"" + escape(page.title) + "\"></a>";
        html += "</td>\n<td valign=\"top\" align=\"left\"><a href=\"" + href + "\"><b>" +
                escape(page.title) + "</b></a><br>\n";
        html += QByteArray::number(page.slides) + (page.slides == 1 ? " slide" : " slides");
        if (page.date.isValid())
            html += ", " + page.date.toString(QStringLiteral("yyyy-MM-dd HH:mm")).toUtf8();
        html += "<br>\n" + escape(page.source.isEmpty() ? page.relativePath : page.source) +
                "</td>\n</tr>\n";
    }
    html += "</table></center>\n</body>\n</html>\n";
    return html;
}

bool ArchiveIndex::isStagingName(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\.(?:deckvane-index-.*|index\\.htm\\.[0-9]+)\\.part$"));
    return pattern.match(name).hasMatch();
}

int ArchiveIndex::writeWith(const QString& outputFolder, const Renderer& renderer) {
    int count = 0;
    writeLocked(outputFolder, [&] {
        const QList<Page> pages = scan(outputFolder);
        count = int(pages.size());
        return renderer(pages);
    });
    return count;
}

void ArchiveIndex::writeLocked(const QString& outputFolder, const Maker& make) {
    const AnchoredFolder root(outputFolder);
    const FileLock lock(root, QLatin1String(kLockFile), FileLock::Mode::Exclusive);
    // Writers stage only while they hold the lock: what is staged now was
    // left by one that was killed. Without a lock only this host's dead
    // writers are known for sure.
    for (const QString& name : root.names()) {
        if (isStagingName(name) && (lock.locked() || StagingName::ownerGone(name.toLatin1())))
            root.removeTree(name);
    }
    thread_local std::mt19937_64 random{std::random_device{}()};
    const auto publish = [&](const File& file) {
        // Written beside the old file and renamed over it, so a reader never
        // sees half an index.
        QString staged;
        do {
            staged = QStringLiteral(".deckvane-index-") +
                     QString::fromLatin1(StagingName::owner()) +
                     QStringLiteral("-%1.part").arg(quint64(random()), 16, 16, QLatin1Char('0'));
        } while (!root.create(staged, file.content));
        try {
            const qsizetype slash = file.name.lastIndexOf(QLatin1Char('/'));
            if (slash > 0)
                root.folder(file.name.left(slash), true);
            root.rename(staged, file.name);
        } catch (const FileError&) {
            root.removeTree(staged);
            throw;
        }
    };
    for (const File& file : make())
        publish(file);

    // The index of an earlier version, never a page (pages come with their
    // companions): checked and replaced under the lock a page's swap holds,
    // so a deck called "index" published meanwhile is never overwritten.
    const FileLock folderLock(root, QLatin1String(HtmlPublisher::kLockFile),
                              FileLock::Mode::Exclusive);
    const QString earlier = QLatin1String(kEarlierFileName);
    if (!root.exists(HtmlPublisher::companionFolderName(earlier)) &&
        isKind(root, earlier, S_IFREG) &&
        titleOf(readHead(root, earlier, 4096)) == QLatin1String("Index"))
        publish({earlier, "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
                          "<html>\n<head>\n  <meta HTTP-EQUIV=REFRESH CONTENT=\"0; URL=" +
                              link(QLatin1String(kFileName)) +
                              "\">\n  <title>Index moved</title>\n</head>\n<body><a href=\"" +
                              link(QLatin1String(kFileName)) + "\">Index</a></body>\n</html>\n"});
}

int ArchiveIndex::write(const QString& outputFolder) {
    return writeWith(outputFolder, [](const QList<Page>& pages) {
        return QList<File>{{QLatin1String(kFileName), render(pages)}};
    });
}
