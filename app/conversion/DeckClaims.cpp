#include "app/conversion/DeckClaims.h"

#include "app/automation/HtmlPublisher.h"
#include "app/conversion/ArchiveNames.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kClaimsFolder = QLatin1String(ArchiveNames::kClaims);

QByteArray holderName() {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return QByteArray(host) + ' ' + QByteArray::number(qint64(::getpid())) + '\n';
}

// Lines appended to a claim file. The end of a claim is written into the
// file itself rather than told by a file of another name: others already
// see the claim, and opening it gets its content and stamp afresh from the
// server (close-to-open consistency), while a name looked up and found
// missing may be remembered as missing for a minute. A finished claim
// says which version of the deck it finished, converted ("done") or not
// ("failed": it would fail again).
constexpr char kDone[] = "done";
constexpr char kFailed[] = "failed";
constexpr char kReleased[] = "released";

// The deck as it is now: its size and modification time to the
// nanosecond, as every machine sharing the tree sees them; empty when it
// is gone.
QByteArray versionOf(const QString& sourcePath) {
    struct stat info {};
    if (sourcePath.isEmpty() || ::stat(LocalPath::toNative(sourcePath).constData(), &info) != 0)
        return {};
    return QByteArray::number(qint64(info.st_size)) + ' ' +
           QByteArray::number(qint64(info.st_mtim.tv_sec)) + ' ' +
           QByteArray::number(qint64(info.st_mtim.tv_nsec));
}

struct Look {
    qint64 stamp = -1; // -1: the file is gone (or is no file of ours)
    QByteArray content;
};

Look lookAt(const AnchoredFolder& folder, const QString& name) {
    Look look;
    const int fd = folder.openAt(name, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return look;
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        look.stamp = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        char buffer[1024];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        look.content = QByteArray(buffer, n > 0 ? int(n) : 0);
    }
    ::close(fd);
    return look;
}

// A fixed-length file name whatever the path's length and bytes.
QString keyOf(const QString& relativePath) {
    return QString::fromLatin1(
        QCryptographicHash::hash(LocalPath::toNative(relativePath), QCryptographicHash::Sha1)
            .toHex());
}

bool isClaimName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^[0-9a-f]{40}\\.[0-9]+$"));
    return pattern.match(name).hasMatch();
}

// The claims of a run long over: only files named as claims are, then the
// folder if that emptied it. Whatever else someone put there stays.
void removeOldRun(const AnchoredFolder& root, const QString& run) {
    try {
        const AnchoredFolder folder = root.folder(run);
        for (const QString& name : folder.names()) {
            struct stat info;
            if (isClaimName(name) && folder.status(name, &info) && S_ISREG(info.st_mode))
                ::unlinkat(folder.descriptor(), LocalPath::toNative(name).constData(), 0);
        }
    } catch (const FileError&) {
        return;
    }
    ::unlinkat(root.descriptor(), LocalPath::toNative(run).constData(), AT_REMOVEDIR);
}

} // namespace

DeckClaims::DeckClaims(const QString& outputFolder, const QString& runName,
                       std::chrono::milliseconds expiry)
    : m_expiry(expiry) {
    PosixFiles::makePath(outputFolder);
    const AnchoredFolder root = AnchoredFolder(outputFolder).folder(kClaimsFolder, true);
    for (const QString& name : root.names()) {
        struct stat info;
        if (name != runName && root.status(name, &info) && S_ISDIR(info.st_mode) &&
            std::chrono::system_clock::now() -
                    std::chrono::system_clock::from_time_t(info.st_mtim.tv_sec) >
                kOldRunAge)
            removeOldRun(root, name);
    }
    m_claims = std::make_unique<AnchoredFolder>(root.folder(runName, true));
    // Found out now, before any deck: a folder that takes no claims would
    // stop the run at its first deck or, worse, after hours of others'.
    const QString probe =
        QStringLiteral(".probe-%1")
            .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    if (!m_claims->create(probe, {}))
        throw FileError(QStringLiteral("Cannot write '%1': %2")
                            .arg(m_claims->pathOf(probe), PosixFiles::errorText(EEXIST)));
    ::unlinkat(m_claims->descriptor(), LocalPath::toNative(probe).constData(), 0);
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

QString DeckClaims::claimName(const QString& key, int generation) {
    return key + QLatin1Char('.') + QString::number(generation);
}

void DeckClaims::append(const QString& name, const QByteArray& line) const {
    // Never through a link: a claim swapped for one is not written.
    const int fd = m_claims->openAt(name, O_WRONLY | O_APPEND | O_NONBLOCK);
    if (fd < 0)
        return;
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        const QByteArray text = line + '\n';
        [[maybe_unused]] const ssize_t written = ::write(fd, text.constData(), size_t(text.size()));
    }
    ::close(fd);
}

bool DeckClaims::stillDone(const QByteArray& content, const Deck& deck, const QByteArray& version) {
    // After the holder's line.
    for (const QByteArray& line : content.split('\n').mid(1)) {
        const qsizetype space = line.indexOf(' ');
        const QByteArray word = line.left(space);
        if (word != kDone && word != kFailed)
            continue;
        // A record of an earlier version (none at all, from a version of
        // this program that kept none) names no deck as it is now.
        if (space < 0 || version.isEmpty() || line.mid(space + 1) != version)
            return false;
        return word == kFailed || HtmlPublisher::isComplete(deck.pagePath);
    }
    return false;
}

DeckClaims::Outcome DeckClaims::claim(const Deck& deck) {
    const QString key = keyOf(deck.relativePath);
    if (std::lock_guard lock(m_mutex); m_abandoned)
        return Outcome::Elsewhere;
    const QByteArray version = versionOf(deck.sourcePath);
    int generation = 0;
    while (m_claims->exists(claimName(key, generation)))
        ++generation;
    // A generation missed here is caught by O_EXCL below.
    if (generation > 0) {
        const Look look = lookAt(*m_claims, claimName(key, generation - 1));
        const bool finished = look.content.contains(QByteArray("\n") + kDone) ||
                              look.content.contains(QByteArray("\n") + kFailed);
        if (finished && stillDone(look.content, deck, version))
            return Outcome::Elsewhere;
        const auto now = std::chrono::steady_clock::now();
        std::lock_guard lock(m_mutex);
        Seen& seen = m_seen[key];
        if (finished || look.content.contains(QByteArray("\n") + kReleased)) {
            // Given back by a run that ended early, or finished with a deck
            // that has changed since: free at once.
        } else if (seen.generation != generation - 1 || seen.stamp != look.stamp) {
            seen = {generation - 1, look.stamp, now};
            return Outcome::Held;
        } else if (now - seen.since < m_expiry) {
            return Outcome::Held;
        }
    }
    // O_EXCL: exactly one creator wins, across machines sharing the folder.
    // Any other error than "exists" (a full or read-only disk) is no claim
    // (FileError): a claim neither made nor known taken would let every run
    // convert the deck. A claim names its holder, host and process, for the
    // people looking.
    const QString name = claimName(key, generation);
    if (!m_claims->create(name, holderName()))
        return Outcome::Held;
    std::lock_guard lock(m_mutex);
    m_held.insert(key, {name, version});
    return Outcome::Mine;
}

void DeckClaims::finish(const QString& relativePath, bool converted) {
    const QString key = keyOf(relativePath);
    std::lock_guard lock(m_mutex);
    if (converted)
        markDone(key, true);
    else
        m_failed.insert(key, std::chrono::steady_clock::now() + kFailureGrace);
    m_changed.notify_all();
}

void DeckClaims::markDone(const QString& key, bool converted) {
    if (m_abandoned)
        return;
    if (const auto held = m_held.find(key); held != m_held.end()) {
        append(held->name, QByteArray(converted ? kDone : kFailed) + ' ' + held->version);
        m_held.erase(held);
    }
}

void DeckClaims::abandon() {
    std::lock_guard lock(m_mutex);
    m_abandoned = true;
    for (const Held& held : std::as_const(m_held))
        append(held.name, kReleased);
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
            markDone(it.key(), false);
            it = m_failed.erase(it);
        }
        if (now >= nextBeat) {
            for (const Held& held : std::as_const(m_held))
                ::utimensat(m_claims->descriptor(), LocalPath::toNative(held.name).constData(),
                            nullptr, AT_SYMLINK_NOFOLLOW);
            nextBeat = now + m_expiry / 4;
        }
    }
    // A run that ends before the grace is up still marks its failed decks.
    for (auto it = m_failed.cbegin(); it != m_failed.cend(); ++it)
        markDone(it.key(), false);
    m_failed.clear();
}
