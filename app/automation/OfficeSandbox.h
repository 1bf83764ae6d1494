#pragma once

#include <QString>
#include <QStringList>

// The second wall around an office the program starts: bubblewrap runs it
// with no network and a view of the file system that holds only what the
// office needs to run, the folders it reads decks from (read-only) and the
// folders it writes pages and its profile into. Its /tmp is a private
// folder, where the office's pipe lives; the program reaches the pipe
// through a link in the real /tmp.
class OfficeSandbox {
public:
    struct View {
        QStringList readable;
        QStringList writable;
        QString privateTmp; // shown to the office as /tmp; empty: a fresh, empty one
    };

    // The command that runs program with arguments inside the view.
    static QStringList command(const QString& bubblewrap, const QString& program,
                               const QStringList& arguments, const View& view);

    // bubblewrap's path when it can make a sandbox here, empty when it is
    // missing or the system allows no unprivileged namespaces; tried once
    // per process, and said once on standard error when there is none.
    static QString bubblewrap();
};
