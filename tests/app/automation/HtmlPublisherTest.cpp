#include "app/automation/HtmlPublisher.h"
#include "QStringPrinter.h"
#include "app/automation/AutomationError.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Writes what the office's export writes: a page linking its companions,
// and companion pages linking back to the page.
void fakeExport(const HtmlPublisher& publisher, const QByteArray& marker) {
    const QString page = publisher.stagingPage();
    const QString folder = page.left(page.lastIndexOf('/'));
    PosixFiles::writeAll(
        page,
        "<a href=\"img0.html\">start</a><img src='thumb0.png'> <a href=\"http://x/img0.html\">" +
            marker);
    PosixFiles::writeAll(folder + "/img0.html",
                         "<a href=\"page.htm\">Overview</a><img src=\"img0.jpg\">" + marker);
    PosixFiles::writeAll(folder + "/img0.jpg", marker);
    PosixFiles::writeAll(folder + "/thumb0.png", marker);
}

class HtmlPublisherTest : public ::testing::Test {
protected:
    QTemporaryDir temp;
    QString out() const { return temp.path(); }
    QStringList leftovers() const {
        QStringList hidden;
        for (const QString& name : PosixFiles::names(out()))
            if (name.startsWith('.'))
                hidden << name;
        return hidden;
    }
};

TEST_F(HtmlPublisherTest, CommitPutsThePageAndItsCompanionsInPlaceAndRelinksThem) {
    {
        HtmlPublisher publisher(out() + "/deck one.htm");
        fakeExport(publisher, "v1");
        publisher.commit();
    }
    EXPECT_EQ(
        PosixFiles::readAll(out() + "/deck one.htm"),
        "<a href=\"deck%20one_files/img0.html\">start</a><img src='deck%20one_files/thumb0.png'> "
        "<a href=\"http://x/img0.html\">v1");
    EXPECT_EQ(PosixFiles::readAll(out() + "/deck one_files/img0.html"),
              "<a href=\"../deck%20one.htm\">Overview</a><img src=\"img0.jpg\">v1");
    EXPECT_TRUE(PosixFiles::exists(out() + "/deck one_files/img0.jpg"));
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(HtmlPublisherTest, AnExportThatIsNotCommittedLeavesTheEarlierOutputUntouched) {
    {
        HtmlPublisher publisher(out() + "/a.htm");
        fakeExport(publisher, "good");
        publisher.commit();
    }
    {
        HtmlPublisher publisher(out() + "/a.htm");
        PosixFiles::writeAll(publisher.stagingPage(), "half a pa");
        // the export fails here: no commit
    }
    EXPECT_TRUE(PosixFiles::readAll(out() + "/a.htm").endsWith("good"));
    EXPECT_EQ(PosixFiles::readAll(out() + "/a_files/img0.jpg"), "good");
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(HtmlPublisherTest, SameNameReplacesDifferentNamesKeepTheirOwnCompanions) {
    for (const char* marker : {"first", "second"}) {
        HtmlPublisher publisher(out() + "/a.htm");
        fakeExport(publisher, marker);
        publisher.commit();
    }
    HtmlPublisher other(out() + "/b.htm");
    fakeExport(other, "other");
    other.commit();
    EXPECT_EQ(PosixFiles::readAll(out() + "/a_files/img0.jpg"), "second");
    EXPECT_EQ(PosixFiles::readAll(out() + "/b_files/img0.jpg"), "other");
    EXPECT_EQ(PosixFiles::names(out() + "/a_files").size(), 3);
}

TEST_F(HtmlPublisherTest, OddNamesAndMissingFolders) {
    // A name that is not UTF-8 and the dotless name ".htm".
    const QString odd = out() + "/" + LocalPath::fromNative("caf\xe9") + ".htm";
    HtmlPublisher publisher(odd);
    fakeExport(publisher, "x");
    publisher.commit();
    EXPECT_TRUE(
        PosixFiles::readAll(odd).startsWith(QByteArray("<a href=\"caf%E9_files/img0.html\"")));
    EXPECT_EQ(HtmlPublisher::companionFolderName(out() + "/.htm"), "_files");
    try {
        HtmlPublisher missing(out() + "/no/such/a.htm");
        FAIL() << "a missing output folder must be reported";
    } catch (const AutomationError& error) {
        EXPECT_TRUE(error.message().contains("No such file or directory"))
            << error.message().toStdString();
    }
    HtmlPublisher empty(out() + "/empty.htm");
    EXPECT_THROW(empty.commit(), AutomationError);
    EXPECT_FALSE(PosixFiles::exists(out() + "/empty.htm"));
    // Qt cannot name these files to remove them.
    PosixFiles::removeTree(odd);
    PosixFiles::removeTree(out() + "/" + HtmlPublisher::companionFolderName(odd));
}

} // namespace
