#pragma once

#include <QString>
#include <QStringList>

// The second wall around an office the program starts: bubblewrap runs it
// with no network and a view of the file system that holds only what the
// office needs to run, the folders it reads decks from (read-only) and the
// folders it writes pages and its profile into. Its /tmp is a private
// folder, where the office's pipe lives; the program reaches the pipe
// through a link in the real /tmp.
//
// The office gets namespaces of its own for users, processes, the network,
// IPC and the host name, a /proc of its own (no other process, and no other
// process's /proc/<pid>/root, is in sight), a session of its own (no
// terminal to type into) and no capability at all, and it dies with the
// program. That holds for a caller that is root too: root inside is root of
// an empty user namespace. Where the system refuses user namespaces to a
// root caller, the rest still holds without one.
class OfficeSandbox {
public:
    struct View {
        QStringList readable;
        QStringList writable;
        QString privateTmp; // shown to the office as /tmp; empty: a fresh, empty one
    };

    // The options that set the office apart from the host; userNamespace:
    // with a user namespace of its own.
    static QStringList isolation(bool userNamespace);

    // The command that runs program with arguments inside the view.
    static QStringList command(const QString& bubblewrap, bool userNamespace,
                               const QString& program, const QStringList& arguments,
                               const View& view);

    // bubblewrap's path when it can make a sandbox here, empty when it is
    // missing or the system allows no namespaces to this caller; tried once
    // per process, and said once on standard error when there is none or
    // it must do without a user namespace.
    static QString bubblewrap();
    // Whether the sandbox bubblewrap() found has a user namespace of its own.
    static bool userNamespace();
};
