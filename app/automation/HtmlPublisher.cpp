#include "app/automation/HtmlPublisher.h"

#include "app/automation/AutomationError.h"
#include "app/automation/PageSanitizer.h"
#include "app/automation/ReaderPages.h"
#include "platform/FileError.h"
#include "platform/FileLock.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"
#include "platform/StagingName.h"

#include <QRegularExpression>
#include <QSet>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {
const QString kStagedPage = QStringLiteral("page.htm");
const QString kStagedCompanions = QStringLiteral("companions");
const QString kReplaced = QStringLiteral("replaced");

QByteArray encoded(const QString& name) {
    return LocalPath::toNative(name).toPercentEncoding();
}

std::mutex liveMutex;
QSet<QString>& liveStaging() {
    static QSet<QString> folders;
    return folders;
}
// Set once the staging has been discarded for a program that is ending:
// a worker still copying a page must not make a folder nobody removes.
bool stagingClosed = false;

// The names of staging folders: the prefix, then the owner (see
// StagingName) and mkdtemp's six characters; or, from earlier versions, the
// six characters alone.
bool isStagingName(const char* name) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\.deckvane-(?:[0-9a-f]{16}-[0-9]+-)?[A-Za-z0-9]{6}$"));
    return pattern.match(QString::fromLatin1(name)).hasMatch();
}

// Folders this process has cleaned up in already.
QSet<QString>& cleanedFolders() {
    static QSet<QString> folders;
    return folders;
}

// The last bytes of a file, without reading all of it.
QByteArray tailOf(const QString& path, qint64 size, int count) {
    QByteArray tail;
    const int fd = ::open(LocalPath::toNative(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return tail;
    const qint64 start = std::max<qint64>(0, size - count);
    tail.resize(int(size - start));
    const ssize_t got = ::pread(fd, tail.data(), size_t(tail.size()), off_t(start));
    ::close(fd);
    tail.resize(got < 0 ? 0 : int(got));
    return tail;
}

// Whether a file the exporter wrote ends the way its kind always ends; a
// write cut short by a full disk leaves it without its end.
bool endsWhole(const QString& path, qint64 size) {
    const QString lower = path.toLower();
    if (lower.endsWith(QLatin1String(".htm")) || lower.endsWith(QLatin1String(".html")))
        return tailOf(path, size, 64).toLower().contains("</html>");
    if (lower.endsWith(QLatin1String(".jpg")) || lower.endsWith(QLatin1String(".jpeg")))
        return tailOf(path, size, 16).contains("\xff\xd9");
    if (lower.endsWith(QLatin1String(".png")))
        return tailOf(path, size, 12).startsWith("IEND") ||
               tailOf(path, size, 8).startsWith("IEND");
    if (lower.endsWith(QLatin1String(".gif")))
        return tailOf(path, size, 1) == ";";
    if (lower.endsWith(QLatin1String(".pdf")))
        return tailOf(path, size, 32).contains("%%EOF");
    return true;
}

// The first part of an export that is missing or cut short, empty when it
// is whole. The overview page spells its companions with `prefix` ("" while
// staged, "<name>_files/" once published); the companions, in `folder`,
// spell each other without one. The exporter names the files a page links
// to "img3.jpg", "text0.html" and the like; other plain names come from
// hyperlinks in the deck and are not checked.
QString missingPart(const QString& pagePath, const QString& folder, const QString& prefix,
                    const QStringList& companions) {
    const auto whole = [](const QString& path) {
        struct stat info {};
        return ::stat(LocalPath::toNative(path).constData(), &info) == 0 && S_ISREG(info.st_mode) &&
               info.st_size > 0 && endsWhole(path, info.st_size);
    };
    if (!whole(pagePath))
        return QStringLiteral("the page");
    static const QRegularExpression link(
        QStringLiteral(
            R"((?:href|src)\s*=\s*["']([^"'#?]*?)([a-z]+\d*\.(?:html?|jpe?g|png|gif))["'#?])"),
        QRegularExpression::CaseInsensitiveOption);
    QList<QPair<QString, QString>> pages{{pagePath, prefix}};
    for (const QString& name : companions) {
        if (name.endsWith(QLatin1String(".html"), Qt::CaseInsensitive) ||
            name.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive))
            pages.append({folder + QLatin1Char('/') + name, QString()});
    }
    QSet<QString> checked;
    for (const auto& [page, spelling] : pages) {
        const QString text = QString::fromLatin1(PosixFiles::readAll(page));
        auto it = link.globalMatch(text);
        while (it.hasNext()) {
            const auto match = it.next();
            if (match.captured(1) != spelling)
                continue;
            const QString target = LocalPath::fromNative(
                QByteArray::fromPercentEncoding(match.captured(2).toLatin1()));
            if (checked.contains(target) || folder + QLatin1Char('/') + target == pagePath)
                continue;
            checked.insert(target);
            if (!whole(folder + QLatin1Char('/') + target))
                return target;
        }
    }
    for (const QString& name : companions) {
        if (!checked.contains(name) && !whole(folder + QLatin1Char('/') + name))
            return name;
    }
    return QString();
}

} // namespace

HtmlPublisher::HtmlPublisher(QString outputPath) : m_outputPath(std::move(outputPath)) {
    const qsizetype slash = m_outputPath.lastIndexOf(QLatin1Char('/'));
    m_folder = slash >= 0 ? m_outputPath.left(slash) : QStringLiteral(".");
    if (m_folder.isEmpty())
        m_folder = QStringLiteral("/");
    bool first = false;
    {
        std::lock_guard lock(liveMutex);
        first = !cleanedFolders().contains(m_folder);
        cleanedFolders().insert(m_folder);
    }
    // Under a kept tree staging folders are made in every folder of pages,
    // so each is cleaned up in, not only the output folder.
    if (first)
        removeStaleStaging(m_folder, kStaleStagingAge);
    QByteArray pattern =
        LocalPath::toNative(m_folder) + "/.deckvane-" + StagingName::owner() + "-XXXXXX";
    std::lock_guard lock(liveMutex);
    if (stagingClosed)
        throw AutomationError(QStringLiteral("The run was interrupted"));
    if (!::mkdtemp(pattern.data()))
        throw AutomationError(QStringLiteral("Cannot write in the output folder '%1': %2")
                                  .arg(m_folder, PosixFiles::errorText(errno)));
    m_staging = LocalPath::fromNative(pattern);
    liveStaging().insert(m_staging);
}

HtmlPublisher::~HtmlPublisher() {
    PosixFiles::removeTree(m_staging);
    std::lock_guard lock(liveMutex);
    liveStaging().remove(m_staging);
}

void HtmlPublisher::discardAllStaging() {
    std::lock_guard lock(liveMutex);
    stagingClosed = true;
    // Workers may still be adding files (a copied page needs no office):
    // moved aside first, a folder takes no new names while it is removed.
    for (const QString& folder : std::as_const(liveStaging())) {
        const QString doomed = folder + QStringLiteral(".gone");
        const bool moved = ::rename(LocalPath::toNative(folder).constData(),
                                    LocalPath::toNative(doomed).constData()) == 0;
        PosixFiles::removeTree(moved ? doomed : folder);
    }
}

void HtmlPublisher::removeStaleStaging(const QString& folder, std::chrono::seconds maxAge) {
    const int fd =
        ::open(LocalPath::toNative(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    const std::time_t now = std::time(nullptr);
    QStringList stale;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isStagingName(entry->d_name))
            continue;
        struct stat info {};
        if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
            (now - info.st_mtime <= maxAge.count() && !StagingName::ownerGone(entry->d_name)))
            continue;
        stale.append(folder + QLatin1Char('/') + LocalPath::fromNative(QByteArray(entry->d_name)));
    }
    ::closedir(dir);
    std::lock_guard lock(liveMutex);
    for (const QString& path : stale) {
        if (!liveStaging().contains(path))
            PosixFiles::removeTree(path);
    }
}

void HtmlPublisher::checkComplete(const QStringList& companions) const {
    const QString missing = missingPart(stagingPage(), m_staging, QString(), companions);
    if (missing.isEmpty())
        return;
    if (diskFull())
        throw AutomationError(QString::fromLatin1(kDiskFullText));
    throw AutomationError(
        QStringLiteral("LibreOffice wrote an incomplete page (%1 is missing or cut short)")
            .arg(missing));
}

bool HtmlPublisher::diskFull() const {
    struct statvfs disk {};
    return ::statvfs(LocalPath::toNative(m_staging).constData(), &disk) == 0 &&
           isFull(disk, ::geteuid() == 0);
}

bool HtmlPublisher::isFull(const struct statvfs& disk, bool privileged) {
    return (privileged ? disk.f_bfree : disk.f_bavail) == 0;
}

bool HtmlPublisher::isComplete(const QString& pagePath) {
    const qsizetype slash = pagePath.lastIndexOf(QLatin1Char('/'));
    const QString name = companionFolderName(pagePath);
    const QString folder = pagePath.left(slash + 1) + name;
    struct stat info {};
    if (::stat(LocalPath::toNative(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    try {
        QStringList companions = PosixFiles::names(folder);
        companions.removeAll(QLatin1String(kSourceNote));
        return missingPart(pagePath, folder,
                           LocalPath::fromNative(encoded(name)) + QLatin1Char('/'), companions)
            .isEmpty();
    } catch (const FileError&) {
        return false;
    }
}

void HtmlPublisher::writeSourceNote(const QString& sourcePath, const QString& folder) const {
    struct stat info {};
    if (sourcePath.isEmpty() || ::stat(LocalPath::toNative(sourcePath).constData(), &info) != 0)
        return;
    PosixFiles::writeAll(folder + QLatin1Char('/') + QLatin1String(kSourceNote),
                         LocalPath::toNative(sourcePath) + '\n' +
                             QByteArray::number(qint64(info.st_mtim.tv_sec)) + '\n' +
                             QByteArray::number(qint64(info.st_mtim.tv_nsec)) + '\n');
}

HtmlPublisher::SourceNote HtmlPublisher::sourceNoteOf(const QString& pagePath) {
    SourceNote note;
    const qsizetype slash = pagePath.lastIndexOf(QLatin1Char('/'));
    const QString path = pagePath.left(slash + 1) + companionFolderName(pagePath) +
                         QLatin1Char('/') + QLatin1String(kSourceNote);
    QByteArray text;
    try {
        text = PosixFiles::readAll(path);
    } catch (const FileError&) {
        return note;
    }
    const QList<QByteArray> lines = text.split('\n');
    bool ok = false;
    if (lines.size() < 2 || lines.at(0).isEmpty())
        return note;
    note.seconds = lines.at(1).toLongLong(&ok);
    if (!ok)
        return note;
    note.source = LocalPath::fromNative(lines.at(0));
    if (lines.size() >= 3) {
        const qint64 nanoseconds = lines.at(2).toLongLong(&ok);
        if (ok)
            note.nanoseconds = nanoseconds;
    }
    return note;
}

QString HtmlPublisher::stagingPage() const {
    return m_staging + QLatin1Char('/') + kStagedPage;
}

QString HtmlPublisher::companionFolderName(const QString& outputPath) {
    QString name = LocalPath::fileName(outputPath);
    if (name.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive))
        name.chop(4);
    return name + QLatin1String("_files");
}

QByteArray HtmlPublisher::relink(const QByteArray& html,
                                 const QHash<QByteArray, QByteArray>& targets) {
    static const QRegularExpression attribute(
        QStringLiteral(R"(((?:href|src)\s*=\s*)(["'])([^"'#?]*)([^"']*)\2)"),
        QRegularExpression::CaseInsensitiveOption);
    // The exporter writes ASCII markup with escaped text, so the page is
    // searched as Latin-1: every byte stays what it was.
    const QString text = QString::fromLatin1(html);
    QString out;
    out.reserve(text.size() + 64);
    qsizetype last = 0;
    auto it = attribute.globalMatch(text);
    while (it.hasNext()) {
        const auto match = it.next();
        const auto target = targets.constFind(match.captured(3).toLatin1());
        if (target == targets.constEnd())
            continue;
        out += QStringView(text).mid(last, match.capturedStart(3) - last);
        out += QString::fromLatin1(target.value());
        last = match.capturedEnd(3);
    }
    out += QStringView(text).mid(last);
    return out.toLatin1();
}

void HtmlPublisher::commit(const QString& sourcePath, const ReaderPages::Export& made) {
    QStringList companions = PosixFiles::names(m_staging);
    companions.removeAll(kStagedPage);
    const QString pageName = LocalPath::fileName(m_outputPath);
    const QString folderName = companionFolderName(m_outputPath);
    const QString stagedFolder = m_staging + QLatin1Char('/') + kStagedCompanions;
    if (!PosixFiles::exists(stagingPage()))
        throw AutomationError(QStringLiteral("LibreOffice wrote no page"));
    checkComplete(companions);
    // Not with its parents: a staging folder discarded meanwhile stays gone.
    if (::mkdir(LocalPath::toNative(stagedFolder).constData(), 0777) != 0)
        throw AutomationError(QStringLiteral("Cannot create the companion folder"));

    // The page finds its companions in "<name>_files/"; they find the page
    // one level up under its final name.
    QHash<QByteArray, QByteArray> down;
    for (const QString& name : companions)
        down.insert(encoded(name), encoded(folderName) + '/' + encoded(name));
    const QHash<QByteArray, QByteArray> up{{kStagedPage.toLatin1(), "../" + encoded(pageName)}};
    // Whatever the deck's author put in names, text and links leaves the
    // pages as text before any reader can see them.
    PosixFiles::writeAll(stagingPage(),
                         PageSanitizer::clean(relink(PosixFiles::readAll(stagingPage()), down)));
    for (const QString& name : companions) {
        const QString from = m_staging + QLatin1Char('/') + name;
        if (name.endsWith(QLatin1String(".html"), Qt::CaseInsensitive) ||
            name.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive))
            PosixFiles::writeAll(from, PageSanitizer::clean(relink(PosixFiles::readAll(from), up)));
    }
    // Deckvane's own pages, made from the cleaned ones.
    ReaderPages::build(m_staging, kStagedPage, m_outputPath, made);
    companions = PosixFiles::names(m_staging);
    companions.removeAll(kStagedPage);
    companions.removeAll(kStagedCompanions);
    for (const QString& name : companions)
        PosixFiles::rename(m_staging + QLatin1Char('/') + name,
                           stagedFolder + QLatin1Char('/') + name);
    writeSourceNote(sourcePath, stagedFolder);

    // Swap in the companions first, then the page, keeping the old
    // companions until the page is in place so a failure can put them back.
    // Runs side by side, on this host or others, may publish the same name
    // into one folder: the swap holds the folder's lock, so one swap never
    // meets half of another, and a reader of the folder (the archive index)
    // never sees a page between its old and new companions.
    const FileLock lock(m_folder + QLatin1Char('/') + QLatin1String(kLockFile),
                        FileLock::Mode::Exclusive);
    const QString finalFolder = m_folder + QLatin1Char('/') + folderName;
    const QString replaced = m_staging + QLatin1Char('/') + kReplaced;
    const bool hadOld = PosixFiles::exists(finalFolder);
    if (hadOld)
        PosixFiles::rename(finalFolder, replaced);
    try {
        PosixFiles::rename(stagedFolder, finalFolder);
        try {
            PosixFiles::rename(stagingPage(), m_outputPath);
        } catch (const FileError&) {
            PosixFiles::rename(finalFolder, stagedFolder);
            throw;
        }
    } catch (const FileError&) {
        if (hadOld)
            PosixFiles::rename(replaced, finalFolder);
        throw;
    }
}
