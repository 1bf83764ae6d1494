#include "tests/app/automation/QStringPrinter.h"

#include "app/conversion/PageRemoval.h"
#include "platform/PosixFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A page goes only when its note names the deck that went: not when a deck
// of the same name elsewhere made it (flat layout), nor when it has no note
// at all, and then it goes whole, leaving nothing half-removed behind.
TEST(PageRemovalTest, RemovesOnlyThePageItsNoteSaysTheDeckMade) {
    QTemporaryDir temp;
    const QString out = temp.path() + "/out";
    const OutputLayout layout(temp.path() + "/in", out, false);
    const auto page = [&](const QString& name, const QByteArray& note) {
        PosixFiles::makePath(out + "/" + name + "_files");
        PosixFiles::writeAll(out + "/" + name + ".htm", "page");
        PosixFiles::writeAll(out + "/" + name + "_files/img0.jpg", "picture");
        if (!note.isEmpty())
            PosixFiles::writeAll(out + "/" + name + "_files/.deckvane-source", note + "\n1\n2\n");
    };
    page("a", "other/a.ppt");
    page("b", {});
    page("c", "c.ppt");
    EXPECT_FALSE(PageRemoval::remove(layout, temp.path() + "/in/a.ppt"));
    EXPECT_FALSE(PageRemoval::remove(layout, temp.path() + "/in/b.ppt"));
    EXPECT_TRUE(PageRemoval::remove(layout, temp.path() + "/in/c.ppt"));
    EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({".deckvane.lock", "a.htm", "a_files", "b.htm", "b_files"}));
}

} // namespace
