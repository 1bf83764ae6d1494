#include "app/automation/ReaderPages.h"
#include "QStringPrinter.h"
#include "app/automation/DeckLanguage.h"
#include "app/automation/HtmlPublisher.h"
#include "app/automation/SlideText.h"
#include "platform/AnchoredFolder.h"
#include "platform/PosixFiles.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray jpeg(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

// A cleaned export of two slides as the sharp route leaves it: slide 0's
// page in the page's place (its link area measured on 200-pixel drafts),
// pictures drawn from the PDF, text pages with the export's navigation row.
void stageExport(const QString& staging) {
    PosixFiles::writeAll(staging + "/page.htm",
                         "<html><head><title>Q&amp;A &lt;b&gt;</title></head><body><center>"
                         "<img src=\"talk_files/img0.jpg\" usemap=\"#map0\"></center><map "
                         "name=\"map0\"><area shape=\"rect\" coords=\"10,20,30,40\" "
                         "href=\"talk_files/img1.html\"><area shape=\"rect\" coords=\"1,1,2,2\" "
                         "href=\"javascript:alert(1)\"></map></body></html>");
    for (int slide = 0; slide < 2; ++slide) {
        PosixFiles::writeAll(staging + QString("/img%1.jpg").arg(slide), jpeg(800, 600));
        PosixFiles::writeAll(staging + QString("/hdimg%1.jpg").arg(slide), jpeg(1600, 1200));
        PosixFiles::writeAll(staging + QString("/thumb%1.jpg").arg(slide), jpeg(256, 192));
    }
    PosixFiles::writeAll(
        staging + "/text0.html",
        "<html><head><title>Q&amp;A &lt;b&gt;</title></head><body bgcolor=\"#000\">"
        "<center><a href=\"text1.html\">Continue</a></center><br>"
        "<h1>Die Ergebnisse &amp; der Plan</h1><ul><li>&lt;script&gt;alert(1)"
        "&lt;/script&gt; und die Zahlen</li><ul><li>nicht mit den Kosten</li>"
        "</ul></ul><h3>Notes:</h3><p>Das ist für die Notizen</p></body></html>");
    PosixFiles::writeAll(staging + "/text1.html",
                         "<html><head><title>x</title></head><body><center>First page</center>"
                         "<h1></h1><p>der Rest</p></body></html>");
    PosixFiles::writeAll(staging + "/deck.pdf", "%PDF-1.6\n/OpenAction[3 0 R /XYZ]\n%%EOF\n");
}

QString read(const QString& path) {
    return QString::fromUtf8(PosixFiles::readAll(path));
}

} // namespace

// The pages a reader gets, from a staged export, and the same pages again
// when they are made from published pages (a copy of a page takes that way).
TEST(ReaderPagesTest, SlidePagesOverviewAndTextPagesFromTheCleanedExport) {
    QTemporaryDir temp;
    const QString archive = temp.path() + "/out";
    const QString staging = archive + "/talks/.staging";
    PosixFiles::makePath(staging);
    stageExport(staging);
    ReaderPages::setArchive(archive, true);
    ReaderPages::build(AnchoredFolder(staging), "page.htm", archive + "/talks/talk.htm", "talk.ppt",
                       {200});
    ReaderPages::setArchive(QString(), false);

    const QString first = read(staging + "/img0.html");
    EXPECT_TRUE(first.contains("<html lang=\"de\">")) << first.toStdString();
    EXPECT_TRUE(first.contains("<h1>Die Ergebnisse &amp; der Plan</h1>"));
    EXPECT_TRUE(first.contains("srcset=\"img0.jpg 800w, hdimg0.jpg 1600w\""));
    EXPECT_TRUE(first.contains("width=\"800\" height=\"600\" usemap=\"#links0\" "
                               "alt=\"Die Ergebnisse &amp; der Plan\""));
    EXPECT_TRUE(first.contains("Slide 1 of 2"));
    EXPECT_TRUE(first.contains("<link rel=\"next\" href=\"img1.html\">"));
    EXPECT_FALSE(first.contains("rel=\"prev\""));
    EXPECT_TRUE(first.contains("href=\"../../index.html\">All decks"));
    EXPECT_TRUE(first.contains("href=\"../talk.htm\""));
    EXPECT_TRUE(first.contains("download=\"talk.pdf\">Download PDF"));
    EXPECT_TRUE(first.contains("<script src=\"reader.js\" defer></script>"));
    // The deck's words only as text; the link area measured for the page's
    // picture, the one with a script address gone.
    EXPECT_TRUE(first.contains("<li>&lt;script&gt;alert(1)&lt;/script&gt; und die Zahlen</li>"));
    EXPECT_EQ(first.count("<script"), 1);
    EXPECT_TRUE(first.contains("<ul><li>nicht mit den Kosten</li>\n</ul></ul>"));
    EXPECT_TRUE(first.contains("<p>Das ist für die Notizen</p>"));
    EXPECT_TRUE(first.contains("coords=\"40,80,120,160\" href=\"img1.html\""));
    EXPECT_FALSE(first.contains("javascript"));
    const QString second = read(staging + "/img1.html");
    EXPECT_TRUE(second.contains("<h1>Slide 2</h1>"));
    EXPECT_TRUE(second.contains("data-last=\"img1.html\""));
    EXPECT_TRUE(second.contains("rel=\"prev\" href=\"img0.html\""));

    const QString overview = read(staging + "/page.htm");
    EXPECT_TRUE(overview.contains("<title>Q&amp;A &lt;b&gt;</title>"));
    EXPECT_TRUE(overview.contains("<h1>Q&amp;A &lt;b&gt;</h1>"));
    EXPECT_TRUE(overview.contains("href=\"../index.html\""));
    EXPECT_TRUE(overview.contains("<script src=\"talk_files/reader.js\" defer>"));
    EXPECT_TRUE(
        overview.contains("srcset=\"talk_files/thumb1.jpg 256w, talk_files/img1.jpg 800w\""));

    const QString text = read(staging + "/text0.html");
    EXPECT_TRUE(text.contains("<html lang=\"de\">"));
    EXPECT_FALSE(text.contains("Continue"));
    EXPECT_TRUE(text.contains("<a href=\"img0.html\">Slide picture</a>"));
    EXPECT_FALSE(text.contains("<script"));
    EXPECT_FALSE(read(staging + "/text1.html").contains("<h1></h1>"));
    EXPECT_TRUE(read(staging + "/text1.html").contains("<h1 class=\"dv-title\">Slide 2</h1>"));
    EXPECT_TRUE(PosixFiles::exists(staging + "/" + ReaderPages::kScript));

    // Made again from what was made: nothing changes.
    QStringList pages{"page.htm", "img0.html", "img1.html", "text0.html", "text1.html"};
    QList<QByteArray> before;
    for (const QString& page : pages)
        before.append(PosixFiles::readAll(staging + "/" + page));
    ReaderPages::setArchive(archive, true);
    ReaderPages::build(AnchoredFolder(staging), "page.htm", archive + "/talks/talk.htm", "talk.ppt",
                       {});
    ReaderPages::setArchive(QString(), false);
    for (int i = 0; i < pages.size(); ++i)
        EXPECT_EQ(PosixFiles::readAll(staging + "/" + pages[i]), before[i])
            << pages[i].toStdString();
}

TEST(ReaderPagesTest, HomeIsTheArchivesFrontPageAndNothingOutsideIt) {
    EXPECT_EQ(ReaderPages::homeLink("/srv/out", "/srv/out"), "./index.html");
    EXPECT_EQ(ReaderPages::homeLink("/srv/out/", "/srv/out/a/b"), "../../index.html");
    EXPECT_EQ(ReaderPages::homeLink("/srv/out", "/srv/outside"), "");
    EXPECT_EQ(ReaderPages::homeLink("/srv/out", "/srv/out/../x"), "");
    EXPECT_EQ(ReaderPages::homeLink("/", "/a"), "../index.html");
}

TEST(ReaderPagesTest, OnlyAPlainWholePdfIsOffered) {
    const QByteArray plain = "%PDF-1.6\n1 0 obj<</OpenAction[3 0 R /XYZ null null 0]>>\n"
                             "<</S/URI/URI(https://example.org/a)>> /BaseFont/AAAAAA+Carlito\n"
                             "%%EOF\n";
    EXPECT_TRUE(ReaderPages::isPlainPdf(plain));
    EXPECT_FALSE(ReaderPages::isPlainPdf(plain.left(plain.size() - 7))) << "cut short";
    for (const QByteArray active :
         {"<</S/JavaScript/JS(app.alert(1))>>", "/OpenAction<</S/Launch>>",
          "<</S/URI/URI(javascript:alert(1))>>", "<</S/URI/URI (jav\\ascript:x)>>",
          "/Names<</EmbeddedFiles 4 0 R>>", "/AA<</O 5 0 R>>"}) {
        QByteArray pdf = plain;
        EXPECT_FALSE(ReaderPages::isPlainPdf(pdf.insert(9, active))) << active.constData();
    }
}

// The bar keeps its own colours on every deck: each rule that sets a text
// colour and a background keeps them apart by WCAG's 4.5:1.
TEST(ReaderPagesTest, TheBarsColoursAreReadableOnAnyDeck) {
    QTemporaryDir temp;
    const QString staging = temp.path() + "/s";
    PosixFiles::makePath(staging);
    stageExport(staging);
    ReaderPages::build(AnchoredFolder(staging), "page.htm", temp.path() + "/talk.htm", "talk.ppt",
                       {});
    const QString css = read(staging + "/" + ReaderPages::kStyle);
    static const QRegularExpression rule("([^{}]+)\\{([^}]*)\\}");
    static const QRegularExpression colour("(?:^|;)\\s*color:\\s*#([0-9a-f]{6})");
    static const QRegularExpression background("background:\\s*#([0-9a-f]{6})");
    int pairs = 0;
    QString barBackground;
    auto it = rule.globalMatch(css);
    while (it.hasNext()) {
        const auto match = it.next();
        const QString body = match.captured(2);
        const auto fg = colour.match(body);
        const auto bg = background.match(body);
        if (match.captured(1).trimmed() == ".dv-bar")
            barBackground = bg.captured(1);
        if (!fg.hasMatch() || !bg.hasMatch())
            continue;
        ++pairs;
        EXPECT_GE(ReaderPages::contrast(QColor("#" + fg.captured(1)).rgb(),
                                        QColor("#" + bg.captured(1)).rgb()),
                  4.5)
            << match.captured(1).toStdString();
    }
    EXPECT_GE(pairs, 3);
    // Links and the position inside the bar, on its background.
    for (const char* inBar : {"\\.dv-bar nav a[^{]*\\{[^}]*color: #([0-9a-f]{6})",
                              "\\.dv-bar \\.dv-pos \\{[^}]*color: #([0-9a-f]{6})"}) {
        const auto match = QRegularExpression(inBar).match(css);
        ASSERT_TRUE(match.hasMatch()) << inBar;
        EXPECT_GE(ReaderPages::contrast(QColor("#" + match.captured(1)).rgb(),
                                        QColor("#" + barBackground).rgb()),
                  4.5)
            << inBar;
    }
    EXPECT_NEAR(ReaderPages::contrast(qRgb(0, 0, 0), qRgb(255, 255, 255)), 21.0, 0.01);
}

TEST(SlideTextTest, TitleTextAndNotesWithoutTheNavigationInTheDecksLanguage) {
    const SlideText slide = SlideText::read(
        "<body><center><a href=\"x\">Back</a> Continue</center><h1>A &#60;b&#x3e; &amp;c"
        "</h1><h2>Sub</h2><p>one<br>two &#1;</p><h3>Notes:</h3><p>said</p></body>");
    EXPECT_EQ(slide.title, "A <b> &c");
    ASSERT_EQ(slide.text.size(), 2);
    EXPECT_EQ(slide.text[0].kind, SlideText::Block::Kind::Heading);
    EXPECT_EQ(slide.text[1].text, QString("one\ntwo \uFFFD"));
    ASSERT_EQ(slide.notes.size(), 1);
    EXPECT_EQ(slide.notes[0].text, "said");
    EXPECT_FALSE(slide.plain().contains("Continue"));

    EXPECT_EQ(DeckLanguage::guess("The results of the year and the plan for the next"), "en");
    EXPECT_EQ(DeckLanguage::guess("Les résultats de l'année et le plan pour la suite, avec les "
                                  "chiffres"),
              "fr");
    EXPECT_EQ(DeckLanguage::guess("Die Ergebnisse und der Plan für das nächste Jahr"), "de");
    EXPECT_EQ(DeckLanguage::guess("全文検索のテスト Slide"), "ja");
    EXPECT_EQ(DeckLanguage::guess("全文检索测试"), "zh");
    EXPECT_EQ(DeckLanguage::guess("Q3 2024"), "und");
}
