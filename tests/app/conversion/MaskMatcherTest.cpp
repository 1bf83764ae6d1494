#include "app/conversion/MaskMatcher.h"

#include <QString>
#include <gtest/gtest.h>

namespace {

bool match(const char* mask, const QString& name) {
    return MaskMatcher::matches(QString::fromUtf8(mask), name);
}

TEST(MaskMatcherTest, StarAndQuestionMarkWithoutRegardToCase) {
    EXPECT_TRUE(match("*.ppt", "a.ppt"));
    EXPECT_TRUE(match("*.ppt", "A.PPT"));
    EXPECT_TRUE(match("*.ppt", "a.b.ppt"));
    EXPECT_TRUE(match("*.ppt", ".ppt"));
    EXPECT_FALSE(match("*.ppt", "a.pptx"));
    EXPECT_FALSE(match("*.ppt", "a.ppt.bak"));
    EXPECT_TRUE(match("?.pps", "x.PPS"));
    EXPECT_FALSE(match("?.pps", "xy.pps"));
    EXPECT_TRUE(match("*", ""));
    EXPECT_TRUE(match("**a**", "bab"));
    EXPECT_FALSE(match("", "a"));
    EXPECT_TRUE(match("", ""));
    EXPECT_TRUE(match("ÜBER*", "über.ppt"));
    EXPECT_TRUE(match("*.PPT", "Vorträge.ppt"));
}

TEST(MaskMatcherTest, EveryOtherCharacterIsLiteral) {
    EXPECT_TRUE(match("Pensar[1].ppt", "Pensar[1].ppt"));
    EXPECT_FALSE(match("Pensar[1].ppt", "Pensar1.ppt"));
    EXPECT_FALSE(match("[ab].ppt", "a.ppt"));
    EXPECT_TRUE(match(" *.pps", " c.pps"));
    EXPECT_FALSE(match(" *.pps", "c.pps"));
    EXPECT_TRUE(match("a\\b", "a\\b"));
    EXPECT_TRUE(match("*.*", "noext."));
}

TEST(MaskMatcherTest, ADotStarEndAlsoTakesNamesWithoutADot) {
    EXPECT_TRUE(match("*.*", "noext"));
    EXPECT_TRUE(match("*.*", "a.b.c"));
    EXPECT_TRUE(match("notes.*", "NOTES"));
    EXPECT_TRUE(match("notes.*", "notes.ppt"));
    EXPECT_FALSE(match("notes.*", "notesx"));
    EXPECT_FALSE(match("*.ppt", "ppt")) << "only a \".*\" end has this rule";
    EXPECT_FALSE(match("a?.*", "a")) << "the rest of the mask still has to match";
    EXPECT_TRUE(match("a?.*", "ab"));
}

TEST(MaskMatcherTest, BacktrackingStaysLinearOnPathologicalInput) {
    const QString name = QString(5000, QLatin1Char('a'));
    EXPECT_FALSE(MaskMatcher::matches(QStringLiteral("*a*a*a*a*a*a*a*a*b"), name));
}

} // namespace
