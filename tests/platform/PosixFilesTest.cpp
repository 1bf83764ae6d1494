#include "platform/PosixFiles.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"
#include "tests/app/automation/QStringPrinter.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class PosixFilesTest : public ::testing::Test {
protected:
    // Qt cannot remove a name that is not text.
    void TearDown() override { PosixFiles::removeTree(temp.path()); }

    QTemporaryDir temp;
    QString at(const char* name) const { return temp.path() + QLatin1Char('/') + name; }
};

TEST_F(PosixFilesTest, NamesThatAreNotTextAreWrittenListedAndReadBackExactly) {
    const QString name = LocalPath::fromNative("caf\xe9 \xff.htm");
    PosixFiles::writeAll(temp.path() + QLatin1Char('/') + name, "page");
    EXPECT_EQ(PosixFiles::names(temp.path()), QStringList{name});
    EXPECT_EQ(PosixFiles::readAll(temp.path() + QLatin1Char('/') + name), "page");
    EXPECT_TRUE(::access((temp.path().toUtf8() + "/caf\xe9 \xff.htm").constData(), F_OK) == 0);
}

TEST_F(PosixFilesTest, FailuresAreReportableAndNameThePathAndTheReason) {
    try {
        PosixFiles::readAll(at("missing"));
        FAIL() << "reading a missing file must raise";
    } catch (const ReportableError& error) {
        EXPECT_NE(dynamic_cast<const FileError*>(&error), nullptr);
        EXPECT_TRUE(error.message().contains(at("missing"))) << error.message().toStdString();
        EXPECT_TRUE(error.message().endsWith(PosixFiles::errorText(ENOENT)))
            << error.message().toStdString();
    }
    PosixFiles::writeAll(at("file"), "x");
    EXPECT_THROW(PosixFiles::names(at("file")), FileError);
    ASSERT_TRUE(PosixFiles::makePath(at("full/inside")));
    EXPECT_THROW(PosixFiles::rename(at("file"), at("full")), FileError);
    EXPECT_EQ(PosixFiles::readAll(at("file")), "x");
    // A file in the way of a folder is an answer, not an error.
    EXPECT_FALSE(PosixFiles::makePath(at("file/below")));
}

TEST_F(PosixFilesTest, RemovingATreeRemovesLinksButNeverWhatTheyPointAt) {
    QTemporaryDir outside;
    PosixFiles::writeAll(outside.path() + "/keep", "precious");
    ASSERT_TRUE(PosixFiles::makePath(at("tree/deeper")));
    PosixFiles::writeAll(at("tree/deeper/page.htm"), "x");
    ASSERT_EQ(
        ::symlink(outside.path().toUtf8().constData(), at("tree/deeper/link").toUtf8().constData()),
        0);
    PosixFiles::removeTree(at("tree"));
    EXPECT_FALSE(PosixFiles::exists(at("tree")));
    EXPECT_EQ(PosixFiles::readAll(outside.path() + "/keep"), "precious");
    // Quiet about what is not there.
    PosixFiles::removeTree(at("tree"));
}

} // namespace
