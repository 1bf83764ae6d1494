#include "app/automation/OfficeSandbox.h"

#include "platform/LocalPath.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What an office reads to run: its libraries and data, the font and
// locale configuration, the user database (for its own name) and the
// dynamic linker's cache. /etc is shown in these parts only.
const char* const kSystem[] = {"/usr",
                               "/bin",
                               "/sbin",
                               "/lib",
                               "/lib32",
                               "/lib64",
                               "/libx32",
                               "/opt",
                               "/etc/fonts",
                               "/etc/ld.so.cache",
                               "/etc/passwd",
                               "/etc/group",
                               "/etc/nsswitch.conf",
                               "/etc/localtime",
                               "/etc/alternatives",
                               "/etc/libreoffice",
                               "/var/cache/fontconfig"};

void show(QStringList* out, const QString& path, bool writable) {
    const QByteArray native = LocalPath::toNative(path);
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0)
        return;
    if (S_ISLNK(info.st_mode)) {
        QByteArray target(4096, '\0');
        const ssize_t n = ::readlink(native.constData(), target.data(), size_t(target.size()));
        if (n > 0) {
            *out << QStringLiteral("--symlink") << LocalPath::fromNative(target.left(n)) << path;
            return;
        }
    }
    *out << (writable ? QStringLiteral("--bind-try") : QStringLiteral("--ro-bind-try")) << path
         << path;
}

} // namespace

QStringList OfficeSandbox::isolation(bool userNamespace) {
    QStringList options;
    if (userNamespace)
        options << QStringLiteral("--unshare-user");
    return options << QStringLiteral("--unshare-pid") << QStringLiteral("--unshare-net")
                   << QStringLiteral("--unshare-ipc") << QStringLiteral("--unshare-uts")
                   << QStringLiteral("--unshare-cgroup-try") << QStringLiteral("--cap-drop")
                   << QStringLiteral("ALL") << QStringLiteral("--new-session")
                   << QStringLiteral("--die-with-parent");
}

QStringList OfficeSandbox::command(const QString& bubblewrap, bool userNamespace,
                                   const QString& program, const QStringList& arguments,
                                   const View& view) {
    QStringList out = QStringList{bubblewrap} + isolation(userNamespace);
    for (const char* path : kSystem)
        show(&out, QString::fromLatin1(path), false);
    // A /proc of the office's own namespace: its processes only.
    out << QStringLiteral("--proc") << QStringLiteral("/proc") << QStringLiteral("--dev")
        << QStringLiteral("/dev");
    if (view.privateTmp.isEmpty()) {
        // A helper that keeps nothing gets a /tmp that goes with it.
        out << QStringLiteral("--tmpfs") << QStringLiteral("/tmp");
    } else {
        // Also where the program sees it, for the links it makes there to
        // files whose names the office cannot spell.
        out << QStringLiteral("--bind") << view.privateTmp << QStringLiteral("/tmp")
            << QStringLiteral("--bind") << view.privateTmp << view.privateTmp;
    }
    // Later mounts go over earlier ones: the decks' and the pages' folders
    // show through wherever they are, the system's parts included.
    for (const QString& folder : view.readable) {
        if (!folder.isEmpty())
            out << QStringLiteral("--ro-bind-try") << folder << folder;
    }
    for (const QString& folder : view.writable) {
        if (!folder.isEmpty())
            out << QStringLiteral("--bind-try") << folder << folder;
    }
    out << QStringLiteral("--chdir") << QStringLiteral("/") << QStringLiteral("--") << program
        << arguments;
    return out;
}

namespace {

struct Found {
    QString bubblewrap;
    bool userNamespace = false;
};

// Whether bubblewrap makes this sandbox here; why not when it does not.
bool works(const QString& bubblewrap, bool userNamespace, QString* why) {
    QProcess probe;
    probe.setProcessChannelMode(QProcess::MergedChannels);
    probe.start(bubblewrap, OfficeSandbox::isolation(userNamespace) +
                                QStringList{QStringLiteral("--ro-bind"), QStringLiteral("/"),
                                            QStringLiteral("/"), QStringLiteral("--proc"),
                                            QStringLiteral("/proc"), QStringLiteral("true")});
    if (probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit &&
        probe.exitCode() == 0)
        return true;
    *why = QString::fromLocal8Bit(probe.readAll()).trimmed().section(QLatin1Char('\n'), 0, 0);
    return false;
}

void say(const QString& text) {
    const QByteArray line = LocalPath::toNative(QCoreApplication::applicationName()) + ": " +
                            LocalPath::toNative(text) + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

const Found& found() {
    static const Found sandbox = [] {
        Found result;
        const QString path = QStandardPaths::findExecutable(QStringLiteral("bwrap"));
        QString why;
        if (path.isEmpty()) {
            why = QStringLiteral("bubblewrap (bwrap) is not installed");
        } else if (works(path, true, &why)) {
            return Found{path, true};
        } else if (QString without; ::geteuid() == 0 && works(path, false, &without)) {
            // Root may make the other namespaces without one for users.
            say(QStringLiteral("this system refuses user namespaces (%1); LibreOffice runs in its "
                               "sandbox without one, as root with no capabilities")
                    .arg(why));
            return Found{path, false};
        } else {
            why = QStringLiteral("this system allows no unprivileged namespaces (%1)").arg(why);
        }
        say(why + QStringLiteral("; LibreOffice runs without its sandbox, with its own link "
                                 "blocking alone"));
        return result;
    }();
    return sandbox;
}

} // namespace

QString OfficeSandbox::bubblewrap() {
    return found().bubblewrap;
}

bool OfficeSandbox::userNamespace() {
    return found().userNamespace;
}
