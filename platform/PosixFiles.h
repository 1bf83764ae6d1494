#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// File operations on exact byte paths (see LocalPath): Qt's file classes
// would mangle names that are not valid UTF-8. Failures raise FileError
// carrying the system's text.
class PosixFiles {
public:
    static QString errorText(int error);

    static QByteArray readAll(const QString& path);
    // Replaces the file's content (written to the same name; used only on
    // files inside a private staging folder).
    static void writeAll(const QString& path, const QByteArray& content);

    // Names in a folder, without "." and "..", in listing order.
    static QStringList names(const QString& folder);

    static void rename(const QString& from, const QString& to);
    static bool exists(const QString& path);
    // Removes a file or a folder with everything in it; symbolic links are
    // removed, never followed. Quiet: what cannot be removed stays.
    static void removeTree(const QString& path);

    // Creates the folder with all missing parents; true when it exists
    // afterwards as a folder.
    static bool makePath(const QString& path);
};
