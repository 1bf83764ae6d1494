#include "platform/FolderTreeWatch.h"
#include "platform/PosixFiles.h"
#include "tests/app/automation/QStringPrinter.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

namespace {

// Folders that come are watched, folders that move are followed under their
// new name, and hidden and excluded folders (an output folder inside the
// tree) are not watched at all.
TEST(FolderTreeWatchTest, FollowsFoldersThatComeAndMoveAndSkipsExcludedOnes) {
    QTemporaryDir temp;
    const QString root = temp.path() + "/link"; // to the tree, as a walk may start
    for (const char* folder : {"/a/b", "/.hidden", "/out/deep"})
        PosixFiles::makePath(temp.path() + "/tree" + folder);
    ASSERT_EQ(::symlink(qPrintable(temp.path() + "/tree"), qPrintable(root)), 0);
    FolderTreeWatch watch;
    ASSERT_TRUE(watch.watch(root, {root + "/out"})) << watch.error();
    EXPECT_EQ(watch.watches(), 3) << "the root, a and a/b";
    QStringList seen; // "<kind> <path below root>"
    const auto until = [&](const QString& last) {
        for (pollfd ready{watch.descriptor(), POLLIN, 0}; ::poll(&ready, 1, 5000) == 1;)
            for (const FolderTreeWatch::Event& event : watch.read())
                if (seen.append(QString::number(int(event.kind)) + " " +
                                event.path.mid(root.size())),
                    seen.last() == last)
                    return;
    };
    const QString written = QString::number(int(FolderTreeWatch::Event::Kind::Written));
    PosixFiles::makePath(root + "/new/inner");
    until(QString::number(int(FolderTreeWatch::Event::Kind::FolderAdded)) + " /new");
    PosixFiles::writeAll(root + "/new/inner/x.ppt", "x");
    until(written + " /new/inner/x.ppt");
    PosixFiles::rename(root + "/a", root + "/c");
    until(QString::number(int(FolderTreeWatch::Event::Kind::FolderAdded)) + " /c");
    EXPECT_TRUE(
        seen.contains(QString::number(int(FolderTreeWatch::Event::Kind::FolderGone)) + " /a"));
    for (const char* file : {"/.hidden/h.ppt", "/out/deep/page.htm", "/c/b/y.ppt"})
        PosixFiles::writeAll(root + file, "y");
    until(written + " /c/b/y.ppt");
    EXPECT_TRUE(seen.contains(written + " /new/inner/x.ppt")) << seen.join(", ").toStdString();
    EXPECT_TRUE(seen.contains(written + " /c/b/y.ppt")) << seen.join(", ").toStdString();
    EXPECT_FALSE(seen.join(' ').contains("hidden") || seen.join(' ').contains("/out"))
        << seen.join(", ").toStdString();
}

} // namespace
