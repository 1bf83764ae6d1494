#include "platform/AnchoredFolder.h"
#include "platform/FileError.h"
#include "platform/PosixFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Run as the kernel resolves paths itself, and part by part as on a kernel
// that cannot.
class AnchoredFolderTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { AnchoredFolder::setStepwise(GetParam()); }
    void TearDown() override { AnchoredFolder::setStepwise(false); }

    void link(const QString& target, const QString& name) {
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(),
                            QFile::encodeName(out + "/" + name).constData()),
                  0);
    }
    // The message names the first link on the way.
    static void expectRefusal(const std::function<void()>& act, const QString& link) {
        try {
            act();
            ADD_FAILURE() << "went through " << link.toStdString();
        } catch (const FileError& error) {
            EXPECT_TRUE(error.message().startsWith("'" + link + "' is a symbolic link"))
                << error.message().toStdString();
        }
    }

    QTemporaryDir temp;
    const QString out = temp.path() + "/out";
    const QString elsewhere = temp.path() + "/elsewhere";
};

TEST_P(AnchoredFolderTest, NoLinkIsFollowedOnTheWayOrAtTheEnd) {
    PosixFiles::makePath(out + "/real");
    PosixFiles::makePath(elsewhere + "/inside");
    PosixFiles::writeAll(elsewhere + "/secret", "secret");
    link(elsewhere, "away");
    link(elsewhere + "/secret", "file");
    link(elsewhere + "/new", "dangling");
    const AnchoredFolder folder(out);

    expectRefusal([&] { folder.read("file"); }, out + "/file");
    expectRefusal([&] { folder.read("away/secret"); }, out + "/away");
    expectRefusal([&] { folder.write("dangling", "x"); }, out + "/dangling");
    expectRefusal([&] { folder.write("away/new", "x"); }, out + "/away");
    expectRefusal([&] { folder.folder("away"); }, out + "/away");
    expectRefusal([&] { folder.folder("away/inside/deeper", true); }, out + "/away");
    expectRefusal([&] { folder.names("away"); }, out + "/away");
    PosixFiles::writeAll(out + "/real/page", "page");
    expectRefusal([&] { folder.rename("real/page", "file"); }, out + "/file");
    EXPECT_FALSE(folder.create("dangling", "x")) << "a link takes the name; nothing is made";
    EXPECT_EQ(folder.openAt("away/secret", O_RDONLY), -1);
    EXPECT_EQ(errno, ELOOP);
    for (const char* outside : {"../elsewhere/secret", "/etc/hostname", "real/../file", ""})
        EXPECT_EQ(folder.openAt(outside, O_WRONLY), -1) << outside;
    struct stat info {};
    EXPECT_TRUE(folder.status("away", &info) && S_ISLNK(info.st_mode));
    EXPECT_FALSE(folder.exists("away/secret"));

    // Removing a link removes the link.
    folder.removeTree("away");
    folder.removeTree("file");
    EXPECT_FALSE(PosixFiles::exists(out + "/away"));
    EXPECT_EQ(PosixFiles::readAll(elsewhere + "/secret"), "secret");
    QStringList names = PosixFiles::names(elsewhere);
    names.sort();
    EXPECT_EQ(names, QStringList({"inside", "secret"})) << "nothing made or removed there";

    // The folder's own paths work as paths do.
    folder.folder("real/a/b", true).write("x", "1");
    folder.rename("real/a//b/x", "real/y");
    EXPECT_EQ(folder.read("real/y"), "1");
}

INSTANTIATE_TEST_SUITE_P(KernelAndStepwise, AnchoredFolderTest, ::testing::Bool());

} // namespace
