#include "app/automation/HtmlPublisher.h"

#include "app/automation/AutomationError.h"
#include "app/automation/PageSanitizer.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <QRegularExpression>
#include <QSet>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
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

// The names of staging folders: the prefix and mkdtemp's six characters.
bool isStagingName(const char* name) {
    if (std::strncmp(name, ".deckvane-", 10) != 0 || std::strlen(name) != 16)
        return false;
    for (const char* c = name + 10; *c; ++c) {
        if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9')))
            return false;
    }
    return true;
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
    return true;
}
// An exclusive lock on a folder, held while the object lives. Where the
// file system cannot lock (some network mounts) nothing is locked.
class FolderLock {
public:
    explicit FolderLock(const QString& folder)
        : m_fd(
              ::open(LocalPath::toNative(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (m_fd >= 0) {
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock() {
        if (m_fd >= 0)
            ::close(m_fd);
    }

private:
    int m_fd;
};
} // namespace

HtmlPublisher::HtmlPublisher(QString outputPath) : m_outputPath(std::move(outputPath)) {
    const qsizetype slash = m_outputPath.lastIndexOf(QLatin1Char('/'));
    m_folder = slash >= 0 ? m_outputPath.left(slash) : QStringLiteral(".");
    if (m_folder.isEmpty())
        m_folder = QStringLiteral("/");
    QByteArray pattern = LocalPath::toNative(m_folder) + "/.deckvane-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw AutomationError(QStringLiteral("Cannot write in the output folder '%1': %2")
                                  .arg(m_folder, PosixFiles::errorText(errno)));
    m_staging = LocalPath::fromNative(pattern);
    std::lock_guard lock(liveMutex);
    liveStaging().insert(m_staging);
}

HtmlPublisher::~HtmlPublisher() {
    PosixFiles::removeTree(m_staging);
    std::lock_guard lock(liveMutex);
    liveStaging().remove(m_staging);
}

void HtmlPublisher::discardAllStaging() {
    std::lock_guard lock(liveMutex);
    for (const QString& folder : std::as_const(liveStaging()))
        PosixFiles::removeTree(folder);
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
            now - info.st_mtime <= maxAge.count())
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
    const auto incomplete = [this](const QString& name) {
        struct statvfs disk {};
        if (::statvfs(LocalPath::toNative(m_staging).constData(), &disk) == 0 && disk.f_bavail == 0)
            return AutomationError(
                QStringLiteral("The output folder's disk is full: the page was not written"));
        return AutomationError(
            QStringLiteral("LibreOffice wrote an incomplete page (%1 is missing or cut short)")
                .arg(name));
    };
    const auto whole = [this](const QString& name) {
        struct stat info {};
        const QString path = m_staging + QLatin1Char('/') + name;
        return ::stat(LocalPath::toNative(path).constData(), &info) == 0 && S_ISREG(info.st_mode) &&
               info.st_size > 0 && endsWhole(path, info.st_size);
    };
    if (!whole(kStagedPage))
        throw incomplete(QStringLiteral("the page"));
    // Every file of its own a page of the export links to must be there.
    // The exporter names them "img3.jpg", "text0.html" and the like; other
    // plain names come from hyperlinks in the deck and are not checked.
    static const QRegularExpression link(
        QStringLiteral(R"((?:href|src)\s*=\s*["']([a-z]+\d*\.(?:html?|jpe?g|png|gif))["'#?])"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList pages{kStagedPage};
    for (const QString& name : companions) {
        if (name.endsWith(QLatin1String(".html"), Qt::CaseInsensitive) ||
            name.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive))
            pages.append(name);
    }
    QSet<QString> checked;
    for (const QString& page : pages) {
        const QString text =
            QString::fromLatin1(PosixFiles::readAll(m_staging + QLatin1Char('/') + page));
        auto it = link.globalMatch(text);
        while (it.hasNext()) {
            const QString target = LocalPath::fromNative(
                QByteArray::fromPercentEncoding(it.next().captured(1).toLatin1()));
            if (checked.contains(target) || target == kStagedPage)
                continue;
            checked.insert(target);
            if (!whole(target))
                throw incomplete(target);
        }
    }
    for (const QString& name : companions) {
        if (!checked.contains(name) && !whole(name))
            throw incomplete(name);
    }
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

void HtmlPublisher::commit() {
    QStringList companions = PosixFiles::names(m_staging);
    companions.removeAll(kStagedPage);
    const QString pageName = LocalPath::fileName(m_outputPath);
    const QString folderName = companionFolderName(m_outputPath);
    const QString stagedFolder = m_staging + QLatin1Char('/') + kStagedCompanions;
    if (!PosixFiles::exists(stagingPage()))
        throw AutomationError(QStringLiteral("LibreOffice wrote no page"));
    checkComplete(companions);
    if (!PosixFiles::makePath(stagedFolder))
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
        PosixFiles::rename(from, stagedFolder + QLatin1Char('/') + name);
    }

    // Swap in the companions first, then the page, keeping the old
    // companions until the page is in place so a failure can put them back.
    // Runs side by side may publish the same name into one folder: the swap
    // holds a lock on the folder, so one swap never meets half of another.
    const FolderLock lock(m_folder);
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
