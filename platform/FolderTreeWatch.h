#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <sys/inotify.h>

// What changes in a folder tree, as the kernel tells it (inotify): every
// folder of the tree is watched, and a folder that appears is watched as
// soon as it is reported, with everything already in it. Hidden folders
// and the excluded ones (an output folder inside the tree) are not
// watched, as the walk does not enter them; symbolic links are not
// followed.
//
// The kernel sees only changes made through this machine: a network file
// system changed from another machine reports nothing, and each folder
// takes one watch of a limited number per user
// (fs.inotify.max_user_watches). Both are told, so the caller can look
// for itself instead.
class FolderTreeWatch {
public:
    struct Event {
        enum class Kind {
            Written,     // a file made, written, closed, touched or moved in
            Gone,        // a file deleted or moved away
            FolderAdded, // a folder made or moved in; watched from now on
            FolderGone,  // a folder deleted or moved away
            Overflow,    // the kernel's queue overflowed: changes were lost
        };
        Kind kind;
        QString path;
    };

    FolderTreeWatch();
    ~FolderTreeWatch();
    FolderTreeWatch(const FolderTreeWatch&) = delete;
    FolderTreeWatch& operator=(const FolderTreeWatch&) = delete;

    // Watches the folder and its subfolders, but the excluded folders and
    // what is below them. False when the system gives no inotify at all
    // (error() says why).
    bool watch(const QString& root, const QStringList& excluded = {});
    // Readable when events wait; -1 without inotify.
    int descriptor() const { return m_fd; }
    // The events waiting now, in order; never blocks.
    QList<Event> read();

    // Folders that could not be watched for want of watches (ENOSPC) since
    // the start: their changes go unseen.
    int unwatched() const { return m_unwatched; }
    int error() const { return m_error; }
    int watches() const { return int(m_paths.size()); }

    // The file system type of the mount that holds the path ("nfs4",
    // "ext4", ...), from the mount table; "" when not found.
    static QString fileSystemOf(const QString& path);
    // A file system whose files may change without this machine's kernel
    // knowing: network file systems and FUSE ones.
    static bool changesUnseenOn(const QString& fileSystem);

private:
    // follow: IN_DONT_FOLLOW, or 0 to follow a link to the folder.
    void addTree(const QString& folder, uint32_t follow = IN_DONT_FOLLOW);
    void forgetTree(const QString& folder);
    bool excluded(const QString& path) const;

    int m_fd = -1;
    int m_error = 0;
    int m_unwatched = 0;
    QStringList m_excluded;
    QHash<int, QString> m_paths; // watch descriptor -> folder
};
