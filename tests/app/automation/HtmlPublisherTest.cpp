#include "app/automation/HtmlPublisher.h"
#include "QStringPrinter.h"
#include "app/automation/AutomationError.h"
#include "app/automation/PageSanitizer.h"
#include "platform/FileError.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"
#include "platform/ReportableError.h"
#include "platform/StagingName.h"

#include <QFile>
#include <QTemporaryDir>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QByteArray kJpegStart("\xff\xd8\xff", 3);
const QByteArray kJpegEnd("\xff\xd9", 2);
const QByteArray kPngStart("\x89PNG\r\n\x1a\n", 8);
const QByteArray kPngEnd("IEND\xae\x42\x60\x82", 8);

// Writes what the office's export writes: a page linking its companions,
// and companion pages linking back to the page, each ending as its kind
// does.
void fakeExport(const HtmlPublisher& publisher, const QByteArray& marker) {
    const QString page = publisher.stagingPage();
    const QString folder = page.left(page.lastIndexOf('/'));
    PosixFiles::writeAll(
        page,
        "<a href=\"img0.html\">start</a><img src='thumb0.png'> <a href=\"http://x/img0.html\">" +
            marker + "</html>");
    PosixFiles::writeAll(folder + "/img0.html",
                         "<a href=\"page.htm\">Overview</a><img src=\"img0.jpg\">" + marker +
                             "</html>");
    PosixFiles::writeAll(folder + "/img0.jpg", kJpegStart + marker + kJpegEnd);
    PosixFiles::writeAll(folder + "/thumb0.png", kPngStart + marker + kPngEnd);
}

class HtmlPublisherTest : public ::testing::Test {
protected:
    QTemporaryDir temp;
    QString out() const { return temp.path(); }
    QStringList leftovers() const {
        QStringList hidden;
        for (const QString& name : PosixFiles::names(out()))
            if (name.startsWith('.') && name != HtmlPublisher::kLockFile)
                hidden << name;
        return hidden;
    }
};

TEST_F(HtmlPublisherTest, CommitPublishesOnlyTheExportsOwnFilesCleanedAndRelinked) {
    QStringList leftOut;
    {
        HtmlPublisher publisher(out() + "/deck one.htm");
        fakeExport(publisher, "v1");
        PosixFiles::writeAll(out() + "/deck.ppt", "deck");
        // A slide named with markup, as the export copies it into a page;
        // and what a deck can make the export copy beside its pages: a
        // transition sound naming any file, a dot-file, pages a browser runs
        // that are not the export's, a "picture" that is a page.
        const QString page = publisher.stagingPage();
        const QString folder = page.left(page.lastIndexOf('/'));
        PosixFiles::writeAll(folder + "/text0.html",
                             "<html><head></head><img src=x onerror=alert(2)><embed "
                             "src=\"hostname\"><a href=\"evil.svg#x\">see</a></html>");
        PosixFiles::writeAll(folder + "/hostname", "machine\n");
        PosixFiles::writeAll(folder + "/.hidden", "dot-file");
        PosixFiles::writeAll(folder + "/evil.svg", "<svg onload=alert(1)/>");
        PosixFiles::writeAll(folder + "/evil.xhtml", "<html><script>alert(1)</script></html>");
        PosixFiles::writeAll(folder + "/img1.jpg", "<html><script>alert(1)</script></html>");
        publisher.commit(out() + "/deck.ppt", "sub/deck.ppt");
        leftOut = publisher.leftOut();
    }
    EXPECT_EQ(leftOut, QStringList({".hidden", "evil.svg", "evil.xhtml", "hostname", "img1.jpg"}));
    EXPECT_EQ(PosixFiles::names(out() + "/deck one_files").size(), 5) << "three, a note and text0";
    // Every page is cleaned and carries the policy, in the publish step.
    EXPECT_EQ(PosixFiles::readAll(out() + "/deck one.htm"),
              PageSanitizer::headPrelude() +
                  "<a href=\"deck%20one_files/img0.html\">start</a><img "
                  "src=\"deck%20one_files/thumb0.png\"> <a href=\"http://x/img0.html\">v1</html>");
    // The note names the deck as the run named it, never by a path of this
    // machine, and the page passes the test an export is put to, until a
    // part of it goes.
    const HtmlPublisher::SourceNote note = HtmlPublisher::sourceNoteOf(out() + "/deck one.htm");
    EXPECT_EQ(note.source, "sub/deck.ppt");
    EXPECT_GE(note.nanoseconds, 0);
    EXPECT_TRUE(HtmlPublisher::isComplete(out() + "/deck one.htm"));
    PosixFiles::writeAll(out() + "/deck one_files/thumb0.png", "cut");
    EXPECT_FALSE(HtmlPublisher::isComplete(out() + "/deck one.htm"));
    PosixFiles::writeAll(out() + "/deck one_files/thumb0.png", kPngStart + "v1" + kPngEnd);
    EXPECT_EQ(PosixFiles::readAll(out() + "/deck one_files/img0.html"),
              PageSanitizer::headPrelude() +
                  "<a href=\"../deck%20one.htm\">Overview</a><img src=\"img0.jpg\">v1</html>");
    // Links to what was left out lead nowhere, so they are no links.
    EXPECT_EQ(
        PosixFiles::readAll(out() + "/deck one_files/text0.html"),
        "<html><head>\n" + PageSanitizer::headPrelude() +
            "</head>&lt;img src=x onerror=alert(2)>&lt;embed src=\"hostname\"><a>see</a></html>");
    EXPECT_TRUE(PosixFiles::exists(out() + "/deck one_files/img0.jpg"));
    EXPECT_TRUE(leftovers().isEmpty());
}

// The output folder may be shared with people who can put links in it: a
// link where the page or its companion folder belongs is refused by name,
// and nothing is written, moved or removed through it (the lock's and a
// kept tree's folders: see the batch run's tests).
TEST_F(HtmlPublisherTest, ALinkWhereAPublishedNameBelongsIsRefusedAndNeverFollowed) {
    QTemporaryDir elsewhere;
    PosixFiles::writeAll(elsewhere.path() + "/keep", "theirs");
    for (const QString name : {"a.htm", "a_files"}) {
        const QString link = out() + "/" + name;
        ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.path() + "/" + name).constData(),
                            QFile::encodeName(link).constData()),
                  0);
        HtmlPublisher publisher(out() + "/a.htm");
        fakeExport(publisher, "new");
        try {
            publisher.commit();
            ADD_FAILURE() << "published through " << name.toStdString();
        } catch (const ReportableError& error) {
            EXPECT_EQ(error.message(), "'" + link +
                                           "' is a symbolic link; links in the output folder are "
                                           "never followed");
        }
        EXPECT_EQ(PosixFiles::names(elsewhere.path()), QStringList{"keep"});
        ::unlink(QFile::encodeName(link).constData());
    }
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
    EXPECT_TRUE(PosixFiles::readAll(out() + "/a.htm").endsWith("good</html>"));
    EXPECT_EQ(PosixFiles::readAll(out() + "/a_files/img0.jpg"), kJpegStart + "good" + kJpegEnd);
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
    EXPECT_EQ(PosixFiles::readAll(out() + "/a_files/img0.jpg"), kJpegStart + "second" + kJpegEnd);
    EXPECT_EQ(PosixFiles::readAll(out() + "/b_files/img0.jpg"), kJpegStart + "other" + kJpegEnd);
    EXPECT_EQ(PosixFiles::names(out() + "/a_files").size(), 3);
}

TEST_F(HtmlPublisherTest, OddNamesAndMissingFolders) {
    // A name that is not UTF-8 and the dotless name ".htm".
    const QString odd = out() + "/" + LocalPath::fromNative("caf\xe9") + ".htm";
    HtmlPublisher publisher(odd);
    fakeExport(publisher, "x");
    publisher.commit();
    EXPECT_TRUE(PosixFiles::readAll(odd).startsWith(PageSanitizer::headPrelude() +
                                                    "<a href=\"caf%E9_files/img0.html\""));
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

TEST_F(HtmlPublisherTest, AnIncompleteExportFailsAndTheEarlierOutputStaysByteForByte) {
    {
        HtmlPublisher publisher(out() + "/a.htm");
        fakeExport(publisher, "good");
        publisher.commit();
    }
    const QByteArray page = PosixFiles::readAll(out() + "/a.htm");
    const QByteArray picture = PosixFiles::readAll(out() + "/a_files/img0.jpg");
    // What a full disk leaves: a file cut short, a file never written, an
    // empty page.
    const QList<std::function<void(const QString&)>> damages{
        [](const QString& folder) {
            PosixFiles::writeAll(folder + "/img0.jpg", "\xff\xd8\xffhalf");
        },
        [](const QString& folder) { PosixFiles::removeTree(folder + "/thumb0.png"); },
        [](const QString& folder) { PosixFiles::writeAll(folder + "/img0.html", ""); },
        [](const QString& folder) { PosixFiles::writeAll(folder + "/page.htm", ""); },
        [](const QString& folder) {
            PosixFiles::writeAll(folder + "/page.htm", "<a href=\"img0.html\">");
        },
    };
    for (qsizetype i = 0; i < damages.size(); ++i) {
        HtmlPublisher publisher(out() + "/a.htm");
        fakeExport(publisher, "new");
        const QString page = publisher.stagingPage();
        damages[i](page.left(page.lastIndexOf('/')));
        EXPECT_THROW(publisher.commit(), AutomationError) << "damage " << i;
    }
    EXPECT_EQ(PosixFiles::readAll(out() + "/a.htm"), page);
    EXPECT_EQ(PosixFiles::readAll(out() + "/a_files/img0.jpg"), picture);
    EXPECT_EQ(PosixFiles::names(out() + "/a_files").size(), 3);
    EXPECT_TRUE(leftovers().isEmpty());
    // Full for an ordinary user when only the blocks kept for root are left.
    struct statvfs disk {};
    disk.f_bfree = 1000;
    EXPECT_TRUE(HtmlPublisher::isFull(disk, false));
    EXPECT_FALSE(HtmlPublisher::isFull(disk, true));
    disk.f_bavail = 10;
    EXPECT_FALSE(HtmlPublisher::isFull(disk, false));
}

TEST_F(HtmlPublisherTest, APageThatCannotBeMovedIntoPlacePutsTheOldCompanionsBack) {
    {
        HtmlPublisher publisher(out() + "/a.htm");
        fakeExport(publisher, "good");
        publisher.commit();
    }
    // The page's name is taken by a folder that is not empty: the last
    // rename fails after the companions were swapped.
    PosixFiles::removeTree(out() + "/a.htm");
    ASSERT_TRUE(PosixFiles::makePath(out() + "/a.htm/in-the-way"));
    HtmlPublisher publisher(out() + "/a.htm");
    fakeExport(publisher, "new");
    EXPECT_THROW(publisher.commit(), FileError);
    EXPECT_EQ(PosixFiles::readAll(out() + "/a_files/img0.jpg"), kJpegStart + "good" + kJpegEnd);
}

TEST_F(HtmlPublisherTest, StagingOfInterruptedRunsIsRemovedByNameOwnerAndAgeOnly) {
    const auto makeOld = [&](const QString& name) {
        ASSERT_TRUE(PosixFiles::makePath(out() + "/" + name + "/companions"));
        const struct timespec old[2] = {{std::time(nullptr) - 3600, 0},
                                        {std::time(nullptr) - 3600, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(out() + "/" + name).constData(), old, 0),
                  0);
    };
    makeOld(".deckvane-Stale1");
    // Fresh, of a process that is gone: on this host it is known dead; from
    // another host (another tag) it must wait.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const QString dead = QString::fromLatin1(StagingName::owner()).section('-', 0, 0) +
                         QStringLiteral("-%1-").arg(child);
    ASSERT_TRUE(PosixFiles::makePath(out() + "/.deckvane-" + dead + "Dead01"));
    ASSERT_TRUE(PosixFiles::makePath(
        out() + QStringLiteral("/.deckvane-0123456789abcdef-%1-Away01").arg(child)));
    makeOld(".deckvane-toolong1"); // not a name staging ever has
    makeOld("photos");
    PosixFiles::writeAll(out() + "/.deckvane-file00", "");
    ASSERT_EQ(::symlink("photos", QFile::encodeName(out() + "/.deckvane-link00").constData()), 0);
    ASSERT_TRUE(PosixFiles::makePath(out() + "/.deckvane-Fresh1"));
    bool strangerMade = false;
    if (::geteuid() == 0) {
        makeOld(".deckvane-Other1");
        strangerMade =
            ::lchown(QFile::encodeName(out() + "/.deckvane-Other1").constData(), 65534, 65534) == 0;
    }
    HtmlPublisher live(out() + "/a.htm");
    const QString liveFolder = live.stagingPage().section('/', 0, -2);
    const struct timespec old[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(liveFolder).constData(), old, 0);

    HtmlPublisher::removeStaleStaging(out(), HtmlPublisher::kStaleStagingAge);
    const QStringList names = PosixFiles::names(out());
    EXPECT_FALSE(names.contains(".deckvane-Stale1"));
    EXPECT_FALSE(names.contains(".deckvane-" + dead + "Dead01"));
    EXPECT_TRUE(names.contains(QStringLiteral(".deckvane-0123456789abcdef-%1-Away01").arg(child)));
    for (const char* kept : {".deckvane-toolong1", "photos", ".deckvane-file00", ".deckvane-link00",
                             ".deckvane-Fresh1"})
        EXPECT_TRUE(names.contains(kept)) << kept;
    EXPECT_TRUE(PosixFiles::exists(liveFolder)) << "this process's own staging is live";
    EXPECT_TRUE(PosixFiles::exists(out() + "/photos/companions"));
    if (strangerMade)
        EXPECT_TRUE(names.contains(".deckvane-Other1")) << "another user's folder stays";

    HtmlPublisher::discardAllStaging();
    EXPECT_FALSE(PosixFiles::exists(liveFolder));
}

} // namespace
