#include "app/automation/HtmlPublisher.h"

#include "app/automation/AutomationError.h"
#include "app/automation/PageSanitizer.h"
#include "app/automation/ReaderPages.h"
#include "app/automation/SlideRasterizer.h"
#include "platform/FileError.h"
#include "platform/FileLock.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"
#include "platform/StagingName.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>

namespace {
const QString kStagedPage = QStringLiteral("page.htm");
const QString kStagedCompanions = QStringLiteral("companions");
const QString kReplaced = QStringLiteral("replaced");
// Pages are read whole to check their links; an output folder may hold
// anything under a page's name.
constexpr qint64 kLargestPage = qint64(64) << 20;

QByteArray encoded(const QString& name) {
    return LocalPath::toNative(name).toPercentEncoding();
}

std::mutex liveMutex;
// Staging folders of live publishers, by path, and the publishers.
QSet<QString>& liveStaging() {
    static QSet<QString> folders;
    return folders;
}
QSet<HtmlPublisher*>& livePublishers() {
    static QSet<HtmlPublisher*> publishers;
    return publishers;
}
std::map<QString, std::weak_ptr<HtmlPublisher>>& reservations() {
    static std::map<QString, std::weak_ptr<HtmlPublisher>> byPath;
    return byPath;
}
// Set once the staging has been discarded for a program that is ending:
// a worker still copying a page must not make a folder nobody removes.
bool stagingClosed = false;

// The names of staging folders: the prefix, then the owner (see
// StagingName) and six random characters; or, from earlier versions, the
// six characters alone, which the claims folder's name has too: it holds
// the claims of runs that may still be going, however old it is.
bool isStagingName(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\.deckvane-(?:[0-9a-f]{16}-[0-9]+-)?[A-Za-z0-9]{6}$"));
    return pattern.match(name).hasMatch() && name != QLatin1String(".deckvane-claims");
}

QString randomSuffix() {
    static const char kCharacters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(kCharacters[QRandomGenerator::global()->bounded(62)]);
    return suffix;
}

// Folders this process has cleaned up in already.
QSet<QString>& cleanedFolders() {
    static QSet<QString> folders;
    return folders;
}

// The last bytes of a file, without reading all of it.
QByteArray tailOf(const AnchoredFolder& folder, const QString& name, qint64 size, int count) {
    QByteArray tail;
    const int fd = folder.openAt(name, O_RDONLY | O_NONBLOCK);
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
bool endsWhole(const AnchoredFolder& folder, const QString& name, qint64 size) {
    const QString lower = name.toLower();
    if (lower.endsWith(QLatin1String(".htm")) || lower.endsWith(QLatin1String(".html")))
        return tailOf(folder, name, size, 64).toLower().contains("</html>");
    if (lower.endsWith(QLatin1String(".jpg")) || lower.endsWith(QLatin1String(".jpeg")))
        return tailOf(folder, name, size, 16).contains("\xff\xd9");
    if (lower.endsWith(QLatin1String(".png"))) {
        // One read serves both places the chunk's name may be found.
        const QByteArray tail = tailOf(folder, name, size, 12);
        return tail.startsWith("IEND") || tail.right(8).startsWith("IEND");
    }
    if (lower.endsWith(QLatin1String(".gif")))
        return tailOf(folder, name, size, 1) == ";";
    if (lower.endsWith(QLatin1String(".pdf")))
        return tailOf(folder, name, size, 32).contains("%%EOF");
    return true;
}

bool whole(const AnchoredFolder& folder, const QString& name) {
    struct stat info {};
    return folder.status(name, &info) && S_ISREG(info.st_mode) && info.st_size > 0 &&
           endsWhole(folder, name, info.st_size);
}

// The exporter names the files a page links to "img3.jpg", "text0.html"
// and the like; other plain names come from hyperlinks in the deck and are
// not checked.
bool isExportName(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^[a-z]+[0-9]*\\.(?:html?|jpe?g|png|gif)$"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern.match(name).hasMatch();
}

// The first part of an export that is missing or cut short, empty when it
// is whole. The page (pageName in pages) spells its companions (in
// companions) with `prefix` ("" while staged, "<name>_files/" once
// published); the companions spell each other without one. Links to files
// the publish step left out are not followed: it takes them out of the
// pages.
QString missingPart(const AnchoredFolder& pages, const QString& pageName,
                    const AnchoredFolder& companions, const QString& prefix,
                    const QStringList& names, const QSet<QString>& leftOut) {
    if (!whole(pages, pageName))
        return QStringLiteral("the page");
    static const QRegularExpression link(QStringLiteral(R"((?:href|src)\s*=\s*["']([^"']*)["'])"),
                                         QRegularExpression::CaseInsensitiveOption);
    QList<QPair<const AnchoredFolder*, QString>> toRead{{&pages, pageName}};
    for (const QString& name : names) {
        if (HtmlPublisher::kindOf(name) == HtmlPublisher::Kind::Page)
            toRead.append({&companions, name});
    }
    QSet<QString> checked;
    for (const auto& [folder, page] : toRead) {
        QByteArray html;
        try {
            html = folder->read(page, kLargestPage);
        } catch (const FileError&) {
            return page;
        }
        const QString spelling = folder == &pages ? prefix : QString();
        auto it = link.globalMatch(QString::fromLatin1(html));
        while (it.hasNext()) {
            QString value = it.next().captured(1);
            for (const QLatin1Char end : {QLatin1Char('#'), QLatin1Char('?')})
                if (const qsizetype at = value.indexOf(end); at >= 0)
                    value.truncate(at);
            if (!value.startsWith(spelling))
                continue;
            const QString target = LocalPath::fromNative(
                QByteArray::fromPercentEncoding(value.mid(spelling.size()).toLatin1()));
            if (!isExportName(target) || checked.contains(target) || leftOut.contains(target) ||
                (folder == &pages && target == pageName))
                continue;
            checked.insert(target);
            if (!whole(companions, target))
                return target;
        }
    }
    for (const QString& name : names) {
        if (!checked.contains(name) && !whole(companions, name))
            return name;
    }
    return QString();
}

// The folder of a page given by its whole path, opened (FileError when it
// cannot be), and the page's name in it.
AnchoredFolder folderOfPage(const QString& pagePath) {
    const qsizetype slash = pagePath.lastIndexOf(QLatin1Char('/'));
    return AnchoredFolder(slash > 0 ? pagePath.left(slash) : QStringLiteral("/"));
}

QString nameOfPage(const QString& pagePath) {
    return pagePath.mid(pagePath.lastIndexOf(QLatin1Char('/')) + 1);
}

AnchoredFolder openFolder(const QString& path) {
    try {
        return AnchoredFolder(path);
    } catch (const FileError&) {
        throw AutomationError(QStringLiteral("Cannot write in the output folder '%1': %2")
                                  .arg(path, PosixFiles::errorText(errno)));
    }
}

} // namespace

HtmlPublisher::HtmlPublisher(QString outputPath) : m_outputPath(std::move(outputPath)) {
    const qsizetype slash = m_outputPath.lastIndexOf(QLatin1Char('/'));
    QString folder = slash >= 0 ? m_outputPath.left(slash) : QStringLiteral(".");
    if (folder.isEmpty())
        folder = QStringLiteral("/");
    m_folder = std::make_unique<AnchoredFolder>(openFolder(folder));
    stage();
}

HtmlPublisher::HtmlPublisher(const QString& outputRoot, const QString& relativePage)
    : m_outputPath(outputRoot + QLatin1Char('/') + relativePage) {
    const AnchoredFolder root = openFolder(outputRoot);
    const qsizetype slash = relativePage.lastIndexOf(QLatin1Char('/'));
    const QString relativeFolder = slash >= 0 ? relativePage.left(slash) : QString();
    try {
        // The folders of a kept tree are made here, none through a link.
        m_folder = std::make_unique<AnchoredFolder>(root.folder(relativeFolder, true));
    } catch (const FileError& error) {
        throw AutomationError(error.message());
    }
    stage();
}

void HtmlPublisher::stage() {
    bool first = false;
    {
        std::lock_guard lock(liveMutex);
        first = !cleanedFolders().contains(m_folder->path());
        cleanedFolders().insert(m_folder->path());
    }
    // Under a kept tree staging folders are made in every folder of pages,
    // so each is cleaned up in, not only the output folder.
    if (first)
        removeStaleStaging(*m_folder, kStaleStagingAge);
    std::lock_guard lock(liveMutex);
    if (stagingClosed)
        throw AutomationError(QStringLiteral("The run was interrupted"));
    const QString prefix =
        QStringLiteral(".deckvane-") + QString::fromLatin1(StagingName::owner()) + QLatin1Char('-');
    for (int attempt = 0;; ++attempt) {
        m_stagingName = prefix + randomSuffix();
        if (::mkdirat(m_folder->descriptor(), LocalPath::toNative(m_stagingName).constData(),
                      0700) == 0)
            break;
        if (errno != EEXIST || attempt > 100) {
            const int error = errno;
            m_stagingName.clear();
            throw AutomationError(QStringLiteral("Cannot write in the output folder '%1': %2")
                                      .arg(m_folder->path(), PosixFiles::errorText(error)));
        }
    }
    try {
        m_staging = std::make_unique<AnchoredFolder>(m_folder->folder(m_stagingName));
    } catch (const FileError& error) {
        m_folder->removeTree(m_stagingName);
        m_stagingName.clear();
        throw AutomationError(error.message());
    }
    liveStaging().insert(m_staging->path());
    livePublishers().insert(this);
}

HtmlPublisher::~HtmlPublisher() {
    // A drawing still going on ends before its folder goes.
    m_picturesStep = nullptr;
    std::lock_guard lock(liveMutex);
    if (m_staging) {
        m_folder->removeTree(m_stagingName);
        liveStaging().remove(m_staging->path());
    }
    livePublishers().remove(this);
    const auto reserved = reservations().find(m_outputPath);
    if (reserved != reservations().end() && reserved->second.expired())
        reservations().erase(reserved);
}

bool HtmlPublisher::finishPictures() {
    if (!m_picturesStep)
        return true;
    const std::function<bool()> step = std::exchange(m_picturesStep, nullptr);
    return step();
}

std::shared_ptr<HtmlPublisher> HtmlPublisher::reserve(const QString& outputRoot,
                                                      const QString& relativePage) {
    auto publisher = std::make_shared<HtmlPublisher>(outputRoot, relativePage);
    std::lock_guard lock(liveMutex);
    reservations()[publisher->m_outputPath] = publisher;
    return publisher;
}

std::shared_ptr<HtmlPublisher> HtmlPublisher::reservedFor(const QString& outputPath) {
    std::lock_guard lock(liveMutex);
    const auto reserved = reservations().find(outputPath);
    return reserved == reservations().end() ? nullptr : reserved->second.lock();
}

void HtmlPublisher::discardAllStaging() {
    // Drawings write into staging folders on threads of their own: they
    // end first.
    SlideRasterizer::stopAll();
    std::lock_guard lock(liveMutex);
    stagingClosed = true;
    // Workers may still be adding files (a copied page needs no office, a
    // drawing may be writing its last picture): moved aside first, a folder
    // takes no new names while it is removed, and is removed again while a
    // late name keeps it.
    for (HtmlPublisher* publisher : std::as_const(livePublishers())) {
        if (!publisher->m_staging)
            continue;
        const int folder = publisher->m_folder->descriptor();
        const QByteArray name = LocalPath::toNative(publisher->m_stagingName);
        const QByteArray doomed = name + ".gone";
        const bool moved = ::renameat(folder, name.constData(), folder, doomed.constData()) == 0;
        const char* const entry = moved ? doomed.constData() : name.constData();
        for (int attempt = 0; attempt < 20; ++attempt) {
            AnchoredFolder::removeEntry(folder, entry);
            struct stat info {};
            if (::fstatat(folder, entry, &info, AT_SYMLINK_NOFOLLOW) != 0)
                break;
            ::usleep(10000);
        }
    }
}

void HtmlPublisher::removeStaleStaging(const QString& folder, std::chrono::seconds maxAge) {
    try {
        removeStaleStaging(AnchoredFolder(folder), maxAge);
    } catch (const FileError&) {
        // Nothing to clean in a folder that cannot be opened.
    }
}

void HtmlPublisher::removeStaleStaging(const AnchoredFolder& folder, std::chrono::seconds maxAge) {
    QStringList names;
    try {
        names = folder.names();
    } catch (const FileError&) {
        return;
    }
    const std::time_t now = std::time(nullptr);
    QStringList stale;
    for (const QString& name : names) {
        if (!isStagingName(name))
            continue;
        struct stat info {};
        if (!folder.status(name, &info) || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
            (now - info.st_mtime <= maxAge.count() &&
             !StagingName::ownerGone(LocalPath::toNative(name))))
            continue;
        stale.append(name);
    }
    std::lock_guard lock(liveMutex);
    for (const QString& name : stale) {
        if (!liveStaging().contains(folder.pathOf(name)))
            folder.removeTree(name);
    }
}

HtmlPublisher::Kind HtmlPublisher::kindOf(const QString& name) {
    static const QRegularExpression page(QStringLiteral("^(?:img|text)[0-9]+\\.html$"));
    static const QRegularExpression picture(
        QStringLiteral("^(?:img|thumb|hdimg)[0-9]+\\.(?:jpg|jpeg|png|gif)$"));
    if (page.match(name).hasMatch())
        return Kind::Page;
    if (picture.match(name).hasMatch())
        return Kind::Picture;
    return Kind::Other;
}

bool HtmlPublisher::isPictureOfItsKind(const QString& name, const QByteArray& head) {
    if (name.endsWith(QLatin1String(".jpg")) || name.endsWith(QLatin1String(".jpeg")))
        return head.startsWith("\xff\xd8\xff");
    if (name.endsWith(QLatin1String(".png")))
        return head.startsWith("\x89PNG\r\n\x1a\n");
    if (name.endsWith(QLatin1String(".gif")))
        return head.startsWith("GIF87a") || head.startsWith("GIF89a");
    return false;
}

void HtmlPublisher::checkComplete(const QStringList& companions,
                                  const QSet<QString>& leftOut) const {
    const QString missing =
        missingPart(*m_staging, kStagedPage, *m_staging, QString(), companions, leftOut);
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
    return ::fstatvfs(m_staging ? m_staging->descriptor() : m_folder->descriptor(), &disk) == 0 &&
           isFull(disk, ::geteuid() == 0);
}

bool HtmlPublisher::isFull(const struct statvfs& disk, bool privileged) {
    return (privileged ? disk.f_bfree : disk.f_bavail) == 0;
}

bool HtmlPublisher::isComplete(const QString& pagePath) {
    try {
        return isComplete(folderOfPage(pagePath), nameOfPage(pagePath));
    } catch (const FileError&) {
        return false;
    }
}

bool HtmlPublisher::isComplete(const AnchoredFolder& folder, const QString& pageName) {
    const QString name = companionFolderName(pageName);
    try {
        const AnchoredFolder companions = folder.folder(name);
        QStringList names = companions.names();
        names.removeAll(QLatin1String(kSourceNote));
        return missingPart(folder, pageName, companions,
                           LocalPath::fromNative(encoded(name)) + QLatin1Char('/'), names, {})
            .isEmpty();
    } catch (const FileError&) {
        return false;
    }
}

void HtmlPublisher::writeSourceNote(const QString& sourcePath, const QString& noteName) const {
    struct stat info {};
    if (sourcePath.isEmpty() || ::stat(LocalPath::toNative(sourcePath).constData(), &info) != 0)
        return;
    const QString name = noteName.isEmpty() ? LocalPath::fileName(sourcePath) : noteName;
    m_staging->write(kStagedCompanions + QLatin1Char('/') + QLatin1String(kSourceNote),
                     LocalPath::toNative(name) + '\n' +
                         QByteArray::number(qint64(info.st_mtim.tv_sec)) + '\n' +
                         QByteArray::number(qint64(info.st_mtim.tv_nsec)) + '\n');
}

HtmlPublisher::SourceNote HtmlPublisher::sourceNoteOf(const QString& pagePath) {
    try {
        return sourceNoteOf(folderOfPage(pagePath), nameOfPage(pagePath));
    } catch (const FileError&) {
        return {};
    }
}

HtmlPublisher::SourceNote HtmlPublisher::sourceNoteOf(const AnchoredFolder& folder,
                                                      const QString& pageName) {
    SourceNote note;
    QByteArray text;
    try {
        text = folder.read(companionFolderName(pageName) + QLatin1Char('/') +
                               QLatin1String(kSourceNote),
                           64 * 1024);
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
    return m_staging->pathOf(kStagedPage);
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

void HtmlPublisher::commit(const QString& sourcePath, const QString& noteName, Staged staged) {
    m_leftOut.clear();
    if (!m_staging->exists(kStagedPage))
        throw AutomationError(QStringLiteral("LibreOffice wrote no page"));
    // Only what the export makes for every deck, and is what its name says.
    QStringList companions;
    QSet<QString> leftOut;
    for (const QString& name : m_staging->names()) {
        // The reader's own files are its to check and write (see below).
        if (name == kStagedPage || (m_made && ReaderPages::isOwnFile(name)))
            continue;
        struct stat info {};
        const Kind kind = kindOf(name);
        const bool regular = m_staging->status(name, &info) && S_ISREG(info.st_mode);
        // A picture too short to tell is one cut short: the check below
        // fails the export for it.
        if (!regular || kind == Kind::Other ||
            (kind == Kind::Picture && info.st_size >= 8 &&
             !isPictureOfItsKind(name, m_staging->read(name, 8))))
            leftOut.insert(name);
        else
            companions.append(name);
    }
    checkComplete(companions, leftOut);
    const QString pageName = LocalPath::fileName(m_outputPath);
    const QString folderName = companionFolderName(m_outputPath);
    try {
        // Not with its parents: a staging folder discarded meanwhile stays gone.
        m_staging->folder(kStagedCompanions, true);

        // The page finds its companions in "<name>_files/"; they find the
        // page one level up under its final name. Links to what was left out
        // go, so none leads nowhere.
        QHash<QByteArray, QByteArray> down;
        for (const QString& name : std::as_const(companions))
            down.insert(encoded(name), encoded(folderName) + '/' + encoded(name));
        const QHash<QByteArray, QByteArray> up{{kStagedPage.toLatin1(), "../" + encoded(pageName)}};
        QSet<QByteArray> dead;
        for (const QString& name : std::as_const(leftOut))
            dead << encoded(name) << LocalPath::toNative(name)
                 << encoded(folderName) + '/' + encoded(name);
        // Whatever the deck's author put in names, text and links leaves the
        // pages as text before any reader can see them.
        const auto clean = [&](const QByteArray& html) {
            return staged == Staged::Export ? PageSanitizer::clean(html, dead) : html;
        };
        m_staging->write(kStagedPage, clean(relink(m_staging->read(kStagedPage), down)));
        for (const QString& name : std::as_const(companions)) {
            if (kindOf(name) == Kind::Page)
                m_staging->write(name, clean(relink(m_staging->read(name), up)));
        }
        // Deckvane's own pages, made from the cleaned ones, with the files
        // they load.
        if (m_made)
            ReaderPages::build(*m_staging, kStagedPage, m_outputPath,
                               LocalPath::fileName(sourcePath), *m_made);
        for (const QString& name : m_staging->names())
            if ((kindOf(name) != Kind::Other && !leftOut.contains(name)) ||
                (m_made && ReaderPages::isOwnFile(name)))
                m_staging->rename(name, kStagedCompanions + QLatin1Char('/') + name);
        writeSourceNote(sourcePath, noteName);
    } catch (const FileError& error) {
        throw AutomationError(error.message());
    }
    swap(folderName);
    m_leftOut = QStringList(leftOut.begin(), leftOut.end());
    m_leftOut.sort();
}

void HtmlPublisher::swap(const QString& folderName) {
    const QString pageName = LocalPath::fileName(m_outputPath);
    // Swap in the companions first, then the page, keeping the old
    // companions until the page is in place so a failure can put them back.
    // Runs side by side, on this host or others, may publish the same name
    // into one folder: the swap holds the folder's lock, so one swap never
    // meets half of another, and a reader of the folder (the archive index)
    // never sees a page between its old and new companions.
    const FileLock lock(*m_folder, QLatin1String(kLockFile), FileLock::Mode::Exclusive);
    // A link in the page's place or its folder's is someone's way out of
    // the output folder: refused before anything moves.
    for (const QString& name : {folderName, pageName}) {
        struct stat info {};
        if (m_folder->status(name, &info) && S_ISLNK(info.st_mode))
            throw FileError(m_folder->linkRefusal(name));
    }
    const QString staged = m_stagingName + QLatin1Char('/');
    const bool hadOld = m_folder->exists(folderName);
    if (hadOld)
        m_folder->rename(folderName, staged + kReplaced);
    try {
        m_folder->rename(staged + kStagedCompanions, folderName);
        try {
            m_folder->rename(staged + kStagedPage, pageName);
        } catch (const FileError&) {
            m_folder->rename(folderName, staged + kStagedCompanions);
            throw;
        }
    } catch (const FileError&) {
        if (hadOld)
            m_folder->rename(staged + kReplaced, folderName);
        throw;
    }
}
