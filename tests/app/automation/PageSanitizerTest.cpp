#include "app/automation/PageSanitizer.h"

#include <gtest/gtest.h>

namespace {

// The page without the prelude the sanitizer puts into every head.
QByteArray body(const QByteArray& html) {
    QByteArray cleaned = PageSanitizer::clean(html);
    const qsizetype at = cleaned.indexOf(PageSanitizer::headPrelude());
    EXPECT_GE(at, 0) << cleaned.toStdString();
    cleaned.remove(at, PageSanitizer::headPrelude().size());
    return cleaned;
}

TEST(PageSanitizerTest, MarkupFromTheDeckBecomesTextAndTheExportsMarkupStays) {
    // The overview's table of contents, with a slide named in markup.
    EXPECT_EQ(body("<div align=\"left\"><a href=\"a_files/img0.html\"><img src=x "
                   "onerror=alert(2)></a></div>"),
              "<div align=\"left\"><a href=\"a_files/img0.html\">&lt;img src=x "
              "onerror=alert(2)></a></div>");
    EXPECT_EQ(body("<p><script>alert(1)</script><SCRIPT src=//x></SCRIPT></p>"),
              "<p>&lt;script>alert(1)&lt;/script>&lt;SCRIPT src=//x>&lt;/SCRIPT></p>");
    // Escaped text and plain markup are left as they are, but for quoting.
    EXPECT_EQ(body("<h1>&lt;b&gt; 5 < 6 &amp; 7 > 3</h1><img src='a b.jpg' width=800 alt=\"x\">"),
              "<h1>&lt;b&gt; 5 &lt; 6 &amp; 7 > 3</h1><img src=\"a b.jpg\" width=\"800\" "
              "alt=\"x\">");
    for (const char* active :
         {"<iframe src=x>", "<object data=x>", "<embed src=x>", "<svg onload=alert(1)>",
          "<form action=x>", "<base href=//x/>", "<link rel=import href=x>", "<style>",
          "<meta http-equiv=refresh content='0;url=javascript:alert(1)'>", "<a href=x onclick=y>",
          "<b/onmouseover=alert(1)>"})
        EXPECT_FALSE(body(active).contains('<')) << active;
    // Read as a browser reads it, this is a picture with an odd address.
    EXPECT_EQ(body("<img/src=x/onerror=alert(1)>"), "<img src=\"x/onerror=alert(1)\">");
    EXPECT_EQ(body("<p style=\"background:url(j)\" align=left>"), "<p align=\"left\">");
}

TEST(PageSanitizerTest, TagsAreReadAsABrowserReadsThem) {
    // A ">" inside quotes does not end the tag; what follows the quote
    // belongs to the same tag.
    EXPECT_EQ(body("<a title=\">\" onclick=alert(1)>x</a>"),
              "&lt;a title=\">\" onclick=alert(1)>x</a>");
    EXPECT_EQ(body("<img alt=\"<img src=x onerror=alert(1)>\">"),
              "<img alt=\"<img src=x onerror=alert(1)>\">");
    // A single-quoted value holding a double quote keeps it as a value.
    EXPECT_EQ(body("<img alt='a\" onerror=\"alert(1)'>"),
              "<img alt=\"a&quot; onerror=&quot;alert(1)\">");
    // A title's content is text for a browser, whatever it looks like.
    EXPECT_EQ(body("<title><a href=\"</title><img src=x onerror=alert(1)>\"></title>"),
              "<title>&lt;a href=\"</title>&lt;img src=x onerror=alert(1)>\"></title>");
    // A comment ends where a browser ends it.
    EXPECT_EQ(body("<!-- a --!><script>alert(1)</script>-->"),
              "<!-- a --!>&lt;script>alert(1)&lt;/script>-->");
    EXPECT_EQ(body("<!--><script>x</script>"), "<!-->&lt;script>x&lt;/script>");
    // A tag cut off at the end of the page is text.
    EXPECT_EQ(body("<p>x<img src=x onerror=\"alert(1)"), "<p>x&lt;img src=x onerror=\"alert(1)");
}

TEST(PageSanitizerTest, OnlyPlainAddressesStayLinks) {
    for (const char* safe : {"img0.html", "../deck%20one.htm", "http://example.org/a?b=c:d",
                             "HTTPS://x", "mailto:a@b", "#top", "a/b:c", "", "ftp://x"})
        EXPECT_TRUE(PageSanitizer::isSafeAddress(safe)) << safe;
    for (const char* unsafe :
         {"javascript:alert(4)", " JavaScript:alert(1)", "java\tscript:x", "java&#x09;script:x",
          "&#106;avascript:x", "&#0000106&#0000097vascript:x", "javascript&colon;x",
          "vbscript:msgbox", "data:text/html,<script>", "DATA:image/svg+xml,x", "file:///etc"})
        EXPECT_FALSE(PageSanitizer::isSafeAddress(unsafe)) << unsafe;
    EXPECT_EQ(body("<a href=\"javascript:alert(4)\" name=n>click me</a>"),
              "<a name=\"n\">click me</a>");
}

TEST(PageSanitizerTest, ThePreludeOpensTheHeadOrTheDocument) {
    const QByteArray prelude = PageSanitizer::headPrelude();
    EXPECT_TRUE(prelude.contains("Content-Security-Policy\" content=\"default-src 'none';"));
    EXPECT_FALSE(prelude.contains("script-src"));
    EXPECT_TRUE(prelude.contains("name=\"viewport\""));
    EXPECT_EQ(PageSanitizer::clean("<!DOCTYPE HTML>\n<html>\n<head>\n<title>t</title>"),
              "<!DOCTYPE HTML>\n<html>\n<head>\n" + prelude + "\n<title>t</title>");
    // Without a head, after the doctype, never before it (a page before
    // its doctype is drawn in quirks mode).
    EXPECT_EQ(PageSanitizer::clean("<!DOCTYPE HTML><p>x"), "<!DOCTYPE HTML>\n" + prelude + "<p>x");
    EXPECT_EQ(PageSanitizer::clean("<p>x"), prelude + "<p>x");
}

} // namespace
