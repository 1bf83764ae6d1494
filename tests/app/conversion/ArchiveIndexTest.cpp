#include "tests/app/automation/QStringPrinter.h"
#include "tests/app/conversion/IndexedPages.h"

#include "app/conversion/ArchiveIndex.h"
#include "app/conversion/ArchiveSearch.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include "platform/FileError.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

class ArchiveIndexTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp.isValid()); }

    // A page as the export leaves it: the page and its companion folder.
    void page(const QString& relative, const QString& title, int slides,
              const QString& text = "text") {
        const QString path = temp.path() + "/" + relative;
        const QString folder = path.left(path.size() - 4) + "_files";
        PosixFiles::makePath(folder);
        PosixFiles::writeAll(path, "<html>\n<head>\n  <title>" + title.toUtf8() +
                                       "</title>\n</head><body></body></html>\n");
        for (int i = 0; i < slides; ++i) {
            PosixFiles::writeAll(folder + QStringLiteral("/img%1.html").arg(i), "slide");
            PosixFiles::writeAll(folder + QStringLiteral("/text%1.html").arg(i),
                                 "<body><center><a href=\"x\">Next</a></center><p>" +
                                     text.toUtf8() + "</p></body>");
            PosixFiles::writeAll(folder + QStringLiteral("/thumb%1.jpg").arg(i), "jpg");
        }
    }

    QList<QStringList> segments() {
        const QList<QStringList> result = IndexedSegments(temp.path());
        const QList<ArchiveSearch::Segment> manifest = ArchiveSearch::parseManifest(
            PosixFiles::readAll(temp.path() + "/index-search/manifest.js"));
        for (qsizetype i = 0; i < result.size(); ++i)
            EXPECT_EQ(result[i].filter(QRegularExpression("^[^-]")).size(), manifest[i].decks);
        return result;
    }
    QStringList shown() { return IndexedPages(temp.path()); }
    // Every text file of the search data.
    QByteArray searchData() {
        QByteArray all;
        QDirIterator it(temp.path() + "/index-search", QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            all += PosixFiles::readAll(it.next());
        return all;
    }

    QTemporaryDir temp;
};

TEST_F(ArchiveIndexTest, ListsEveryPageOfTheFolderWithItsSourceAndNothingElse) {
    page("b.htm", "Budget &amp; plans", 3);
    page("north/a.htm", "Kick-off", 1);
    page("old.htm", "From an earlier run", 2);
    PosixFiles::writeAll(temp.path() + "/stray.htm", "<title>not a deck's page</title>");
    PosixFiles::makePath(temp.path() + "/.deckvane-XXXX");
    PosixFiles::writeAll(temp.path() + "/.deckvane-XXXX/x.htm", "<title>staging</title>");

    // Sources recorded at conversion; the deck of b.htm is removed since.
    const QString decks = temp.path() + "/../decks-" + QFileInfo(temp.path()).fileName();
    PosixFiles::makePath(decks);
    PosixFiles::writeAll(decks + "/b.ppt", "deck");
    PosixFiles::writeAll(decks + "/a.ppt", "deck");
    PosixFiles::writeAll(temp.path() + "/b_files/.deckvane-source",
                         LocalPath::toNative(decks + "/b.ppt") + "\n1000000\n5\n");
    PosixFiles::writeAll(temp.path() + "/north/a_files/.deckvane-source", "talks/a.ppt\n1000000\n");
    PosixFiles::removeTree(decks);

    EXPECT_EQ(ArchiveIndex::write(temp.path()), 3);
    const QList<ArchiveIndex::Page> pages = ArchiveIndex::scan(temp.path());
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pages[0].relativePath, "b.htm");
    EXPECT_EQ(pages[0].title, "Budget & plans");
    EXPECT_EQ(pages[0].slides, 3);
    EXPECT_TRUE(pages[0].thumbnail);
    // A note of an earlier version names its deck by a path of the machine
    // that converted it, which the index does not show.
    EXPECT_EQ(pages[0].source, "b.ppt");
    EXPECT_EQ(pages[1].source, "talks/a.ppt");
    EXPECT_TRUE(pages[0].date.isValid());
    EXPECT_EQ(pages[1].relativePath, "north/a.htm");
    EXPECT_EQ(pages[2].relativePath, "old.htm");
    EXPECT_TRUE(pages[2].source.isEmpty()) << "a page without a note is still listed";

    const QByteArray html = PosixFiles::readAll(temp.path() + "/index.html");
    EXPECT_TRUE(html.contains("<a href=\"north/a.htm\"><b>Kick-off</b></a>"));
    EXPECT_TRUE(html.contains("src=\"north/a_files/thumb0.jpg\""));
    EXPECT_TRUE(html.contains("Budget &amp; plans")) << "escaped once, not twice";
    EXPECT_TRUE(html.contains("3 slides"));
    EXPECT_FALSE(html.contains("stray")) << "only pages with their companion folder";
    EXPECT_FALSE(html.contains("staging"));
    EXPECT_FALSE(html.contains("http://") && html.contains("<script")) << "nothing fetched";
    EXPECT_EQ(PosixFiles::names(temp.path()).filter(".part").size(), 0);

    // Rebuilt from the folder: a page removed since is gone from the index.
    PosixFiles::removeTree(temp.path() + "/old.htm");
    PosixFiles::removeTree(temp.path() + "/old_files");
    EXPECT_EQ(ArchiveIndex::write(temp.path()), 2);
}

TEST_F(ArchiveIndexTest, LinksSpellAnyNameAndTitlesAreEscaped) {
    EXPECT_EQ(ArchiveIndex::link("a b/c#1.htm"), "a%20b/c%231.htm");
    EXPECT_EQ(ArchiveIndex::link(LocalPath::fromNative("caf\xe9.htm")), "caf%E9.htm");
    EXPECT_EQ(ArchiveIndex::escape("<b>\"x\""), "&lt;b&gt;&quot;x&quot;");
    EXPECT_EQ(ArchiveIndex::titleOf("<title>  Q1 \n results </title>"), "Q1 results");
    EXPECT_EQ(ArchiveIndex::titleOf("<html>no title"), "");
    // The export's escapes are undone once: "&amp;lt;" is the text "&lt;".
    EXPECT_EQ(ArchiveIndex::titleOf("<title>&amp;lt;b&amp;gt;</title>"), "&lt;b&gt;");
    ArchiveIndex::Page page;
    page.relativePath = "a.htm";
    page.title = "&lt;";
    page.source = "/decks/<b>&.ppt";
    const QByteArray html = ArchiveIndex::render({page});
    EXPECT_TRUE(html.contains("<b>&amp;lt;</b>"));
    EXPECT_TRUE(html.contains("/decks/&lt;b&gt;&amp;.ppt"));
}

TEST_F(ArchiveIndexTest, ManyPagesInManyFoldersAllListedOnce) {
    for (int i = 0; i < 300; ++i)
        page(QStringLiteral("d%1/deck%2.htm").arg(i % 20).arg(i), QStringLiteral("Deck %1").arg(i),
             1);
    EXPECT_EQ(ArchiveIndex::write(temp.path()), 300);
    EXPECT_EQ(PosixFiles::readAll(temp.path() + "/index.html").count("<tr>"), 300);
}

// Writers with one process id (in containers every shard is process 1)
// never share a staging file nor fail each other's rename.
TEST_F(ArchiveIndexTest, WritersOfOneProcessIdTakeTurns) {
    page("a.htm", "A", 1);
    std::atomic<int> failures{0};
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&] {
            for (int i = 0; i < 25; ++i) {
                try {
                    ArchiveIndex::write(temp.path());
                } catch (const FileError&) {
                    ++failures;
                }
            }
        });
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(PosixFiles::names(temp.path()).filter(".part"), QStringList());
}

// A deck called "index" keeps its page beside the index; the index of an
// earlier version points to the new one; staging files a killed writer
// left are gone with the next index.
TEST_F(ArchiveIndexTest, NoPageTakesTheIndexNameAndLeftoversGo) {
    PosixFiles::writeAll(temp.path() + "/index.htm", "<html><title>Index</title></html>");
    page("a.htm", "A", 1);
    PosixFiles::writeAll(temp.path() + "/.index.htm.123.part", "half");
    PosixFiles::writeAll(temp.path() + "/.deckvane-index-0123456789abcdef-1-x.part", "half");
    EXPECT_EQ(ArchiveIndex::write(temp.path()), 1);
    const QByteArray pointer = PosixFiles::readAll(temp.path() + "/index.htm");
    EXPECT_TRUE(pointer.contains("URL=index.html")) << pointer.constData();
    EXPECT_EQ(PosixFiles::names(temp.path()).filter(".part"), QStringList());

    // A deck's page titled "Index" is a page all the same.
    page("index.htm", "Index", 2);
    EXPECT_EQ(ArchiveIndex::write(temp.path()), 2);
    EXPECT_FALSE(PosixFiles::readAll(temp.path() + "/index.htm").contains("URL=index.html"));
    EXPECT_TRUE(PosixFiles::readAll(temp.path() + "/index.html")
                    .contains("<a href=\"index.htm\"><b>Index</b>"));
}

TEST_F(ArchiveIndexTest, SlideTextIsTheSlidesWordsAndNotesWithoutTheExportsOwn) {
    EXPECT_EQ(ArchiveSearch::slideText(
                  "<html><head><title>Slide 3</title></head><body><center><a href=\"a\">First "
                  "page</a> Back</center><br>\n<h1>Caf&eacute; &amp; T&#233;a</h1>\n<p>Line\none"
                  "</p><br><h3>Notes:</h3>\n<p>Say &lt;hi&gt;&#x4E00;</p></body></html>"),
              "Café & Téa Line one Say <hi>一")
        << "the navigation, the notes heading and the markup go; entities are decoded";
}

// An update adds a segment of what changed, and the newest segments are
// rebuilt as one as they grow; a page removed from the disk is taken out at
// once.
TEST_F(ArchiveIndexTest, UpdatesAddSegmentsOfWhatChangedAndMergeThemAsTheyGrow) {
    for (int i = 0; i < 8; ++i)
        page(QStringLiteral("d/deck%1.htm").arg(i), "Deck", 2, "kick-off");
    // Folders whose names only look like segments are not the index's.
    for (const char* other : {"cafe", "2024"})
        PosixFiles::makePath(temp.path() + "/index-search/" + other);
    EXPECT_EQ(ArchiveSearch::update(temp.path(), {}), 8) << "no index yet: a whole one";
    ASSERT_EQ(segments().size(), 1);
    PosixFiles::removeTree(temp.path() + "/d/deck0.htm");
    PosixFiles::removeTree(temp.path() + "/d/deck0_files");

    QList<qsizetype> counts;
    for (int i = 8; i < 13; ++i) {
        page(QStringLiteral("new%1.htm").arg(i), "New", 1, "更新");
        EXPECT_EQ(ArchiveSearch::update(temp.path(), {QStringLiteral("new%1.htm").arg(i)}), 1);
        counts.append(segments().size());
        EXPECT_FALSE(shown().contains("d/deck0.htm")) << i;
        EXPECT_EQ(shown().size(), i) << i;
        EXPECT_TRUE(segments().last().contains(QStringLiteral("new%1.htm").arg(i)));
    }
    EXPECT_EQ(counts, QList<qsizetype>({2, 2, 2, 3, 1}))
        << "[8,1] [8,2] [8,3] [8,3,1], then 1+1+3 is over half of 8: all in one, "
           "the removed page dropped";
    EXPECT_EQ(segments().first().size(), 12);
    EXPECT_EQ(ArchiveSearch::update(temp.path(), {}), 0);
    const QStringList left = PosixFiles::names(temp.path() + "/index-search");
    EXPECT_EQ(left.size(), 5) << "the next writer leaves the one segment in use";
    for (const char* kept : {"2024", "cafe", "manifest.js", "segments"})
        EXPECT_TRUE(left.contains(kept)) << kept;
    const QString title = "Talks' \\ best')";
    EXPECT_EQ(ArchiveSearch::parseTitle(ArchiveSearch::renderManifest({}, title)), title);
    // Data an earlier version wrote has another shape: the next update
    // reads the whole folder again instead of adding to it.
    QStringList data = left;
    for (const char* other : {"2024", "cafe", "manifest.js", "segments"})
        data.removeAll(other);
    PosixFiles::writeAll(temp.path() + "/index-search/manifest.js",
                         "deckvaneData(\"manifest\",JSON.parse('{\"segments\":[{\"id\":\"" +
                             data.value(0).toUtf8() + "\",\"decks\":12}]}'));");
    EXPECT_EQ(ArchiveSearch::update(temp.path(), {}), 12);
    EXPECT_EQ(ArchiveSearch::mergeStart({100, 30, 10, 1}), 3);
    EXPECT_EQ(ArchiveSearch::mergeStart({100, 30, 7, 4}), 2);
    EXPECT_TRUE(PosixFiles::exists(temp.path() + "/index.js"));
    EXPECT_EQ(PosixFiles::names(temp.path()).filter(".part").size(), 0);
}

// Pages no index run was told of (a run killed before its index, a run
// without --index) are found by the next update, and pages replaced or gone
// since are brought up to date; pages as they were are not read again.
TEST_F(ArchiveIndexTest, AnUpdateReconcilesTheIndexWithTheDiskReadingOnlyWhatChanged) {
    for (const char* name : {"kept", "replaced", "removed", "sub/deep"})
        page(QStringLiteral("%1.htm").arg(name), name, 1, "original");
    for (int i = 0; i < 10; ++i) // enough that the next segment is no merge
        page(QStringLiteral("more/%1.htm").arg(i), "More", 1, "original");
    ArchiveSearch::rebuild(temp.path());
    page("unannounced.htm", "Unannounced", 1, "wombat");
    page("sub/unannounced.htm", "Unannounced too", 1, "quokka");
    PosixFiles::removeTree(temp.path() + "/replaced.htm");
    page("replaced.htm", "replaced", 1, "platypus");
    PosixFiles::removeTree(temp.path() + "/removed.htm");
    PosixFiles::removeTree(temp.path() + "/removed_files");
    // Changed behind the index's back without a new page: not read again.
    PosixFiles::writeAll(temp.path() + "/kept_files/text0.html", "<body><p>sneaky</p></body>");

    EXPECT_EQ(ArchiveSearch::update(temp.path(), {}), 3);
    EXPECT_EQ(shown().filter(QRegularExpression("^(?!more/)")),
              QStringList({"kept.htm", "replaced.htm", "sub/deep.htm", "sub/unannounced.htm",
                           "unannounced.htm"}));
    EXPECT_EQ(shown().size(), 15);
    const QByteArray data = searchData();
    for (const char* word : {"wombat", "quokka", "platypus"})
        EXPECT_TRUE(data.contains(word)) << word;
    EXPECT_FALSE(data.contains("sneaky")) << "a page as it was is not read";
    EXPECT_EQ(ArchiveSearch::update(temp.path(), {}), 0) << "nothing changed since";
}

// Shards finishing at the same moment: each adds its pages in turn, none
// is lost to another's manifest.
TEST_F(ArchiveIndexTest, ShardsUpdatingTogetherLoseNoPage) {
    page("first.htm", "First", 1);
    ArchiveSearch::rebuild(temp.path());
    std::vector<std::thread> shards;
    for (int shard = 0; shard < 4; ++shard) {
        shards.emplace_back([this, shard] {
            for (int i = 0; i < 5; ++i) {
                const QString name = QStringLiteral("s%1-%2.htm").arg(shard).arg(i);
                page(name, name, 1);
                ArchiveSearch::update(temp.path(), {name});
            }
        });
    }
    for (std::thread& shard : shards)
        shard.join();
    QSet<QString> indexed;
    for (const QStringList& segment : segments())
        indexed.unite(QSet<QString>(segment.begin(), segment.end()));
    EXPECT_EQ(indexed.size(), 21);
}

} // namespace
