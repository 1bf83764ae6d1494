#include "platform/FolderTreeWatch.h"
#include "platform/PosixFiles.h"
#include "tests/app/automation/QStringPrinter.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <poll.h>

namespace {

using Kind = FolderTreeWatch::Event::Kind;

// The events until one of the kind for the path has come (or none for a
// few seconds), as "kind path-below-root" lines.
QStringList eventsUntil(FolderTreeWatch& watch, const QString& root, Kind kind,
                        const QString& path) {
    QStringList seen;
    for (;;) {
        pollfd ready{watch.descriptor(), POLLIN, 0};
        if (::poll(&ready, 1, 5000) != 1)
            return seen;
        for (const FolderTreeWatch::Event& event : watch.read()) {
            seen.append(QString::number(int(event.kind)) + " " + event.path.mid(root.size()));
            if (event.kind == kind && event.path == root + path)
                return seen;
        }
    }
}

// Folders that come are watched with what is in them, folders that move
// are followed under their new name, and the hidden and excluded ones
// (an output folder inside the tree) are not watched at all.
TEST(FolderTreeWatchTest, FollowsFoldersThatComeAndMoveAndSkipsExcludedOnes) {
    QTemporaryDir temp;
    const QString root = temp.path();
    PosixFiles::makePath(root + "/a/b");
    PosixFiles::makePath(root + "/.hidden");
    PosixFiles::makePath(root + "/out/deep");
    FolderTreeWatch watch;
    ASSERT_TRUE(watch.watch(root, {root + "/out"})) << watch.error();
    EXPECT_EQ(watch.watches(), 3) << "the root, a and a/b";
    EXPECT_EQ(watch.unwatched(), 0);

    PosixFiles::makePath(root + "/new/inner");
    QStringList seen = eventsUntil(watch, root, Kind::FolderAdded, "/new");
    PosixFiles::writeAll(root + "/new/inner/x.ppt", "x");
    seen = eventsUntil(watch, root, Kind::Written, "/new/inner/x.ppt");
    EXPECT_TRUE(seen.contains(QString::number(int(Kind::Written)) + " /new/inner/x.ppt"))
        << seen.join(", ").toStdString();

    PosixFiles::rename(root + "/a", root + "/c");
    seen = eventsUntil(watch, root, Kind::FolderAdded, "/c");
    EXPECT_TRUE(seen.contains(QString::number(int(Kind::FolderGone)) + " /a"))
        << seen.join(", ").toStdString();
    PosixFiles::writeAll(root + "/.hidden/h.ppt", "h");
    PosixFiles::writeAll(root + "/out/deep/page.htm", "p");
    PosixFiles::writeAll(root + "/c/b/y.ppt", "y");
    ::unlink(qPrintable(root + "/new/inner/x.ppt"));
    seen = eventsUntil(watch, root, Kind::Gone, "/new/inner/x.ppt");
    EXPECT_TRUE(seen.contains(QString::number(int(Kind::Written)) + " /c/b/y.ppt"))
        << "under its new name: " << seen.join(", ").toStdString();
    EXPECT_FALSE(seen.join(' ').contains("hidden") || seen.join(' ').contains("/out"))
        << seen.join(", ").toStdString();
    EXPECT_FALSE(FolderTreeWatch::changesUnseenOn(FolderTreeWatch::fileSystemOf(root)))
        << FolderTreeWatch::fileSystemOf(root).toStdString();
    EXPECT_TRUE(FolderTreeWatch::changesUnseenOn("nfs4") &&
                FolderTreeWatch::changesUnseenOn("fuse.sshfs"));
}

} // namespace
