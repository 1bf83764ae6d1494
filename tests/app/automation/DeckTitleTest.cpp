#include "tests/app/automation/QStringPrinter.h"

#include "app/automation/DeckTitle.h"
#include "app/automation/HtmlEntities.h"

#include <gtest/gtest.h>

namespace {

TEST(DeckTitleTest, EveryReferenceIsDecodedAsABrowserReadsIt) {
    EXPECT_EQ(HtmlEntities::decode(u"Instand&shy;haltung &eacute;t&eacute; &Uuml;ber &ne; &nbsp;"),
              QString::fromUtf8("Instand\u00adhaltung été Über ≠ \u00a0"));
    EXPECT_EQ(HtmlEntities::decode(u"&#233;&#xE9;&#X1F600;&#150;&#0;&#xD800;&#99999999;"),
              QString::fromUtf8("éé😀–\ufffd\ufffd\ufffd"))
        << "numbers, windows-1252's dash, and those no character has";
    EXPECT_EQ(HtmlEntities::decode(u"&copy 2004 &notin; &notit; &amp;lt; &NotEqualTilde;"),
              QString::fromUtf8("© 2004 ∉ ¬it; &lt; ≂̸"))
        << "old names without ';', the longest name first, one pass, two code points";
    EXPECT_EQ(HtmlEntities::decode(u"AT&T & &unknown; &#x; &"), "AT&T & &unknown; &#x; &");
}

TEST(DeckTitleTest, PlaceholdersGiveWayToTheFileName) {
    for (const char* placeholder :
         {"Slide 1", "Folie 12", "Diapositive 3", "スライド 1", "幻灯片1",
          "PowerPoint Presentation", "PowerPoint-Präsentation", "Презентация PowerPoint",
          "Presentation1", "Untitled 2", "", " - "})
        EXPECT_EQ(DeckTitle::of(QByteArray("<html><head><title>") + placeholder + "</title></head>",
                                "/decks/ecdl paris.ppt"),
                  "ecdl paris")
            << placeholder;
    EXPECT_EQ(DeckTitle::of("<head>no title", "talk.v2.pps"), "talk.v2");
    for (const char* title : {"Slide Masters", "Slide 1: Results", "Presentation skills 101",
                              "The PowerPoint presentation we gave"})
        EXPECT_FALSE(DeckTitle::isPlaceholder(QString::fromUtf8(title))) << title;
    EXPECT_EQ(DeckTitle::of("<TITLE lang=de>Wartung &amp;\n  Instand&shy;haltung</title>", "x.ppt"),
              QString::fromUtf8("Wartung & Instand\u00adhaltung"));
}

} // namespace
