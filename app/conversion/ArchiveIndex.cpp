#include "app/conversion/ArchiveIndex.h"

#include "app/automation/HtmlPublisher.h"
#include "app/automation/PageSanitizer.h"
#include "app/conversion/FolderListing.h"
#include "platform/FileError.h"
#include "platform/FileLock.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"
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
QByteArray readHead(const QString& path, qint64 limit) {
    const int fd = ::open(LocalPath::toNative(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray bytes(limit, Qt::Uninitialized);
    qint64 got = 0;
    while (got < limit) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(limit - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    bytes.truncate(got);
    return bytes;
}

QDateTime modified(const QString& path) {
    struct stat info {};
    if (::stat(LocalPath::toNative(path).constData(), &info) != 0)
        return {};
    return QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec);
}

bool isSlidePage(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^img[0-9]+\\.html$"));
    return pattern.match(name).hasMatch();
}

// Calls found(relative path, whether its companion folder is there) for
// every ".htm" file below root; with `locked`, each folder is read holding
// its lock, so a page being swapped is seen before or after, never between
// its old and new companion folder.
using PageFound = std::function<void(const QString& relativePath, bool companion)>;

void scanFolder(const QString& root, const QString& relative, const PageFound& found, bool locked,
                QSet<QPair<dev_t, ino_t>>* visited) {
    const QString folder = relative.isEmpty() ? root : root + QLatin1Char('/') + relative;
    std::optional<FileLock> lock;
    if (locked)
        lock.emplace(folder + QLatin1Char('/') + QLatin1String(HtmlPublisher::kLockFile),
                     FileLock::Mode::Shared);
    FolderListing listing;
    if (!listing.read(folder) || visited->contains({listing.device(), listing.inode()}))
        return;
    visited->insert({listing.device(), listing.inode()});
    QSet<QString> folders;
    for (const FolderListing::Entry& entry : listing.entries())
        if (entry.kind == FolderListing::Kind::Folder)
            folders.insert(entry.name);
    const QString prefix = relative.isEmpty() ? QString() : relative + QLatin1Char('/');
    QSet<QString> companions;
    for (const FolderListing::Entry& entry : listing.entries()) {
        if (entry.kind != FolderListing::Kind::File || !entry.name.endsWith(QLatin1String(".htm")))
            continue;
        const QString companion = HtmlPublisher::companionFolderName(entry.name);
        // Only pages the converter made come with their companion folder.
        // The index itself and other files are left out.
        const bool page = folders.contains(companion);
        if (page)
            companions.insert(companion);
        found(prefix + entry.name, page);
    }
    lock.reset();
    for (const FolderListing::Entry& entry : listing.entries()) {
        if (entry.kind == FolderListing::Kind::Folder && !FolderListing::isHidden(entry.name) &&
            !companions.contains(entry.name) &&
            !(relative.isEmpty() && ArchiveNames::all().contains(entry.name)))
            scanFolder(root, prefix + entry.name, found, locked, visited);
    }
}

} // namespace

bool ArchiveIndex::readPage(const QString& outputFolder, const QString& relativePath, Page* page) {
    const QString pagePath = outputFolder + QLatin1Char('/') + relativePath;
    const QString name = LocalPath::fileName(relativePath);
    const QString companionPath =
        pagePath.left(pagePath.size() - name.size()) + HtmlPublisher::companionFolderName(name);
    FolderListing files;
    if (!files.read(companionPath))
        return false;
    page->relativePath = relativePath;
    page->title = titleOf(readHead(pagePath, 4096));
    if (page->title.isEmpty())
        page->title = name.left(name.size() - 4);
    page->slides = 0;
    page->thumbnail = false;
    for (const FolderListing::Entry& file : files.entries()) {
        if (isSlidePage(file.name))
            ++page->slides;
        else if (file.name == QLatin1String("thumb0.jpg"))
            page->thumbnail = true;
    }
    page->stamp = stampOf(pagePath);
    const HtmlPublisher::SourceNote note = HtmlPublisher::sourceNoteOf(pagePath);
    page->source = note.source;
    if (!note.source.isEmpty())
        page->date = QDateTime::fromSecsSinceEpoch(note.seconds);
    else
        page->date = modified(pagePath);
    return true;
}

QByteArray ArchiveIndex::stampOf(const QString& pagePath) {
    struct stat info {};
    if (::stat(LocalPath::toNative(pagePath).constData(), &info) != 0)
        return {};
    return QByteArray::number(qint64(info.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qint64(info.st_mtim.tv_nsec)) + '-' +
           QByteArray::number(quint64(info.st_ino));
}

QList<ArchiveIndex::Page> ArchiveIndex::scan(const QString& outputFolder) {
    QList<Page> pages;
    QSet<QPair<dev_t, ino_t>> visited;
    scanFolder(
        outputFolder, QString(),
        [&](const QString& relativePath, bool companion) {
            Page page;
            if (companion && readPage(outputFolder, relativePath, &page))
                pages.append(page);
        },
        true, &visited);
    std::sort(pages.begin(), pages.end(),
              [](const Page& a, const Page& b) { return a.relativePath < b.relativePath; });
    return pages;
}

QList<ArchiveIndex::Listed> ArchiveIndex::list(const QString& outputFolder) {
    QList<Listed> pages;
    QSet<QPair<dev_t, ino_t>> visited;
    // Without the folders' locks: a file opened per folder, not two. A page
    // caught between its companion folders shows without a stamp.
    scanFolder(
        outputFolder, QString(),
        [&](const QString& relativePath, bool companion) {
            pages.append(
                {relativePath, companion ? stampOf(outputFolder + QLatin1Char('/') + relativePath)
                                         : QByteArray()});
        },
        false, &visited);
    return pages;
}

QString ArchiveIndex::titleOf(const QByteArray& html) {
    const qsizetype open = html.indexOf("<title>");
    if (open < 0)
        return {};
    const qsizetype close = html.indexOf("</title>", open);
    if (close < 0)
        return {};
    const QString raw = QString::fromUtf8(html.mid(open + 7, close - open - 7)).simplified();
    // The export escapes the title; the index escapes it again itself.
    QString text = raw;
    text.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&#39;"), QLatin1String("'"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
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
    const FileLock lock(outputFolder + QLatin1Char('/') + QLatin1String(kLockFile),
                        FileLock::Mode::Exclusive);
    // Writers stage only while they hold the lock: what is staged now was
    // left by one that was killed. Without a lock only this host's dead
    // writers are known for sure.
    for (const QString& name : PosixFiles::names(outputFolder)) {
        if (isStagingName(name) && (lock.locked() || StagingName::ownerGone(name.toLatin1())))
            PosixFiles::removeTree(outputFolder + QLatin1Char('/') + name);
    }
    thread_local std::mt19937_64 random{std::random_device{}()};
    const auto publish = [&](const File& file) {
        // Written beside the old file and renamed over it, so a reader never
        // sees half an index.
        QString staged;
        int fd = -1;
        do {
            staged = outputFolder + QStringLiteral("/.deckvane-index-") +
                     QString::fromLatin1(StagingName::owner()) +
                     QStringLiteral("-%1.part").arg(quint64(random()), 16, 16, QLatin1Char('0'));
            fd = ::open(LocalPath::toNative(staged).constData(),
                        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        } while (fd < 0 && errno == EEXIST);
        if (fd < 0)
            throw FileError(
                QStringLiteral("Cannot write '%1': %2").arg(staged, PosixFiles::errorText(errno)));
        ::close(fd);
        try {
            PosixFiles::writeAll(staged, file.content);
            const QString target = outputFolder + QLatin1Char('/') + file.name;
            PosixFiles::makePath(target.left(target.lastIndexOf(QLatin1Char('/'))));
            PosixFiles::rename(staged, target);
        } catch (const FileError&) {
            PosixFiles::removeTree(staged);
            throw;
        }
    };
    for (const File& file : make())
        publish(file);

    // The index of an earlier version, never a page (pages come with their
    // companions): checked and replaced under the lock a page's swap holds,
    // so a deck called "index" published meanwhile is never overwritten.
    const FileLock folderLock(outputFolder + QLatin1Char('/') +
                                  QLatin1String(HtmlPublisher::kLockFile),
                              FileLock::Mode::Exclusive);
    const QString earlier = outputFolder + QLatin1Char('/') + QLatin1String(kEarlierFileName);
    if (!PosixFiles::exists(outputFolder + QLatin1Char('/') +
                            HtmlPublisher::companionFolderName(earlier)) &&
        titleOf(readHead(earlier, 4096)) == QLatin1String("Index"))
        publish({QLatin1String(kEarlierFileName),
                 "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
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
