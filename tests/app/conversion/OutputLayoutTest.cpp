#include "tests/app/automation/QStringPrinter.h"

#include "app/conversion/ArchiveNames.h"
#include "app/conversion/OutputLayout.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(OutputLayoutTest, FlatByDefaultTheDecksFoldersWithTree) {
    const OutputLayout flat("/in", "/out", false);
    EXPECT_EQ(flat.pageFor("/in/a/b/deck.v2.ppt"), "/out/deck.htm");
    EXPECT_EQ(flat.relativePath("/in/a/b/deck.ppt"), "a/b/deck.ppt");

    const OutputLayout tree("/in", "/out", true);
    EXPECT_EQ(tree.pageFor("/in/a/b/deck.v2.ppt"), "/out/a/b/deck.htm");
    EXPECT_EQ(tree.pageFor("/in/top.ppt"), "/out/top.htm");
    EXPECT_EQ(tree.folderFor("/in/a/x.ppt"), "/out/a");
    // The walk joins with exactly one "/", even after a folder ending in one.
    const OutputLayout slashed("/in/", "/out", true);
    EXPECT_EQ(slashed.relativePath("/in//a/x.ppt"), "a/x.ppt");
    EXPECT_EQ(slashed.pageFor("/in//a/x.ppt"), "/out/a/x.htm");
    // A name without a dot: the converter's ".htm", kept.
    EXPECT_EQ(tree.pageFor("/in/a/README"), "/out/a/.htm");
    // Not below the walked folder: not moved anywhere odd.
    EXPECT_EQ(tree.relativePath("/input/x.ppt"), "/input/x.ppt");
    // A folder that could be a page, a companion folder or the index takes
    // one more "_", and stays apart from the one that had it already.
    EXPECT_EQ(tree.pageFor("/in/a_files/c.ppt"), "/out/a_files_/c.htm");
    EXPECT_EQ(tree.pageFor("/in/a_files_/c.ppt"), "/out/a_files__/c.htm");
    EXPECT_EQ(tree.pageFor("/in/x/c.htm/index.html/d.ppt"), "/out/x/c.htm_/index.html_/d.htm");
    // Nor a name of the archive's own, which a deck's page and companion
    // folder can never have.
    for (const QString& name : ArchiveNames::all()) {
        EXPECT_EQ(tree.pageFor("/in/" + name + "/d.ppt"), "/out/" + name + "_/d.htm");
        EXPECT_EQ(OutputLayout::folderName(name + "_"), name + "__");
        EXPECT_FALSE(name.endsWith(".htm") || name.endsWith("_files")) << name.toStdString();
    }
    EXPECT_EQ(OutputLayout::folderName("index-searching"), "index-searching");
    EXPECT_EQ(OutputLayout::folderName("files_"), "files_");
    EXPECT_EQ(OutputLayout::folderName("a.htm.d"), "a.htm.d");
}

TEST(OutputLayoutTest, UpToDateWhenTheNoteNamesTheDeckOrThePageIsStrictlyNewer) {
    QTemporaryDir temp;
    const OutputLayout layout(temp.path() + "/in", temp.path() + "/out", false);
    const QString deck = temp.path() + "/in/sub/d.ppt";
    const QString page = temp.path() + "/out/d.htm";
    PosixFiles::makePath(temp.path() + "/in/sub");
    PosixFiles::writeAll(deck, "deck");
    EXPECT_FALSE(layout.isUpToDate(deck)) << "no page yet";
    PosixFiles::makePath(temp.path() + "/out/d_files");
    PosixFiles::writeAll(page, "<html><img src=\"d_files/img0.jpg\"></html>");
    PosixFiles::writeAll(temp.path() + "/out/d_files/img0.jpg", "\xff\xd8\xff\xd9");
    const auto setTime = [](const QString& path, long seconds, long nanoseconds) {
        const struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
        ASSERT_EQ(::utimensat(AT_FDCWD, LocalPath::toNative(path).constData(), times, 0), 0);
    };
    setTime(deck, 1000, 5);
    setTime(page, 1000, 6);
    EXPECT_TRUE(layout.isUpToDate(deck));
    setTime(page, 1000, 5);
    EXPECT_FALSE(layout.isUpToDate(deck)) << "the same time is not newer";
    setTime(page, 999, 999999999);
    EXPECT_FALSE(layout.isUpToDate(deck));
    // The note names the deck below the walked folder, or (earlier
    // versions) by its whole path; naming another deck it says nothing.
    const QString note = temp.path() + "/out/d_files/.deckvane-source";
    for (const QString& named : {QString("sub/d.ppt"), deck, QString("d.ppt")}) {
        PosixFiles::writeAll(note, LocalPath::toNative(named) + "\n1000\n5\n");
        EXPECT_EQ(layout.isUpToDate(deck), named != "d.ppt") << named.toStdString();
    }
    EXPECT_FALSE(layout.isUpToDate(temp.path() + "/in/gone.ppt"));
    setTime(page, 1000, 6);
    PosixFiles::writeAll(temp.path() + "/out/d_files/img0.jpg", "\xff\xd8 cut short");
    EXPECT_FALSE(layout.isUpToDate(deck)) << "a picture of the page is cut short";
}

} // namespace
