#include "app/conversion/DeckClaims.h"

#include "app/conversion/ArchiveNames.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <QCryptographicHash>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kClaimsFolder = QLatin1String(ArchiveNames::kClaims);

// O_EXCL: exactly one creator wins, across machines sharing the folder.
// Any other error than "exists" (a full or read-only disk) counts as won:
// converting a deck twice costs time, while waiting for a claim that can
// never be made would never end, and pages are published whole either way.
// A claim names its holder, host and process, for the people looking.
bool createExclusive(const QString& path, const QByteArray& content) {
    const int fd = ::open(LocalPath::toNative(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno != EEXIST;
    [[maybe_unused]] const ssize_t written =
        ::write(fd, content.constData(), size_t(content.size()));
    ::close(fd);
    return true;
}

QByteArray holderName() {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return QByteArray(host) + ' ' + QByteArray::number(qint64(::getpid())) + '\n';
}

bool exists(const QString& path) {
    struct stat info;
    return ::stat(LocalPath::toNative(path).constData(), &info) == 0;
}

// Words appended to a claim file. The end of a claim is written into the
// file itself rather than told by a file of another name: others already
// see the claim, and opening it gets its content and stamp afresh from the
// server (close-to-open consistency), while a name looked up and found
// missing may be remembered as missing for a minute.
constexpr char kDone[] = "done\n";
constexpr char kReleased[] = "released\n";

void append(const QString& path, const char* word) {
    const int fd = ::open(LocalPath::toNative(path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        return;
    [[maybe_unused]] const ssize_t written = ::write(fd, word, std::strlen(word));
    ::close(fd);
}

struct Look {
    qint64 stamp = -1; // -1: the file is gone
    QByteArray content;
};

Look lookAt(const QString& path) {
    Look look;
    const int fd = ::open(LocalPath::toNative(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return look;
    struct stat info;
    if (::fstat(fd, &info) == 0)
        look.stamp = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    char buffer[1024];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    look.content = QByteArray(buffer, n > 0 ? int(n) : 0);
    ::close(fd);
    return look;
}

// A fixed-length file name whatever the path's length and bytes.
QString keyOf(const QString& relativePath) {
    return QString::fromLatin1(
        QCryptographicHash::hash(LocalPath::toNative(relativePath), QCryptographicHash::Sha1)
            .toHex());
}

} // namespace

DeckClaims::DeckClaims(const QString& outputFolder, const QString& runName,
                       std::chrono::milliseconds expiry)
    : m_folder(outputFolder + QLatin1Char('/') + kClaimsFolder + QLatin1Char('/') + runName),
      m_expiry(expiry) {
    const QString root = outputFolder + QLatin1Char('/') + kClaimsFolder;
    if (PosixFiles::makePath(root)) {
        for (const QString& name : PosixFiles::names(root)) {
            struct stat info;
            const QString path = root + QLatin1Char('/') + name;
            if (name != runName && ::stat(LocalPath::toNative(path).constData(), &info) == 0 &&
                std::chrono::system_clock::now() -
                        std::chrono::system_clock::from_time_t(info.st_mtim.tv_sec) >
                    kOldRunAge)
                PosixFiles::removeTree(path);
        }
    }
    if (!PosixFiles::makePath(m_folder))
        throw FileError(QStringLiteral("Cannot make the claims folder '%1'").arg(m_folder));
    m_heartbeat = std::thread([this] { beat(); });
}

DeckClaims::~DeckClaims() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_heartbeat.join();
}

bool DeckClaims::isValidRunName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String(".") &&
           name != QLatin1String("..");
}

std::chrono::milliseconds DeckClaims::expiryFrom(const QByteArray& seconds) {
    bool ok = false;
    const double value = seconds.toDouble(&ok);
    if (!ok || !(value > 0) || value > 86400)
        return kDefaultExpiry;
    return std::chrono::milliseconds(qint64(value * 1000));
}

QString DeckClaims::claimPath(const QString& key, int generation) const {
    return m_folder + QLatin1Char('/') + key + QLatin1Char('.') + QString::number(generation);
}

DeckClaims::Outcome DeckClaims::claim(const QString& relativePath) {
    const QString key = keyOf(relativePath);
    if (std::lock_guard lock(m_mutex); m_abandoned)
        return Outcome::Elsewhere;
    int generation = 0;
    while (exists(claimPath(key, generation)))
        ++generation;
    // A generation missed here is caught by O_EXCL below.
    if (generation > 0) {
        const Look look = lookAt(claimPath(key, generation - 1));
        if (look.content.contains(kDone))
            return Outcome::Elsewhere;
        const auto now = std::chrono::steady_clock::now();
        std::lock_guard lock(m_mutex);
        Seen& seen = m_seen[key];
        if (look.content.contains(kReleased)) {
            // Given back by a run that ended early: free at once.
        } else if (seen.generation != generation - 1 || seen.stamp != look.stamp) {
            seen = {generation - 1, look.stamp, now};
            return Outcome::Held;
        } else if (now - seen.since < m_expiry) {
            return Outcome::Held;
        }
    }
    const QString path = claimPath(key, generation);
    if (!createExclusive(path, holderName()))
        return Outcome::Held;
    std::lock_guard lock(m_mutex);
    m_held.insert(key, path);
    return Outcome::Mine;
}

void DeckClaims::finish(const QString& relativePath, bool converted) {
    const QString key = keyOf(relativePath);
    std::lock_guard lock(m_mutex);
    if (converted)
        markDone(key);
    else
        m_failed.insert(key, std::chrono::steady_clock::now() + kFailureGrace);
    m_changed.notify_all();
}

void DeckClaims::markDone(const QString& key) {
    if (m_abandoned)
        return;
    if (const auto held = m_held.find(key); held != m_held.end()) {
        append(held.value(), kDone);
        m_held.erase(held);
    }
}

void DeckClaims::abandon() {
    std::lock_guard lock(m_mutex);
    m_abandoned = true;
    for (const QString& path : std::as_const(m_held))
        append(path, kReleased);
    m_held.clear();
    m_failed.clear();
}

void DeckClaims::beat() {
    std::unique_lock lock(m_mutex);
    auto nextBeat = std::chrono::steady_clock::now() + m_expiry / 4;
    while (!m_stop) {
        auto wake = nextBeat;
        for (const auto& due : std::as_const(m_failed))
            wake = std::min(wake, due);
        m_changed.wait_until(lock, wake);
        const auto now = std::chrono::steady_clock::now();
        for (auto it = m_failed.begin(); it != m_failed.end();) {
            if (it.value() > now && !m_stop) {
                ++it;
                continue;
            }
            markDone(it.key());
            it = m_failed.erase(it);
        }
        if (now >= nextBeat) {
            for (const QString& path : std::as_const(m_held))
                ::utimensat(AT_FDCWD, LocalPath::toNative(path).constData(), nullptr, 0);
            nextBeat = now + m_expiry / 4;
        }
    }
}
