#include "tests/app/automation/QStringPrinter.h"

#include "app/conversion/SearchTerms.h"

#include <gtest/gtest.h>

namespace {

// The front page's script folds what is typed by the same rules; the
// browser test checks the two agree.
TEST(SearchTermsTest, CaseAndAccentsFoldAwayAndWordsSplitAtAnythingElse) {
    EXPECT_EQ(SearchTerms::terms("Café, CAFE-Übersicht (2024)"),
              QStringList({"cafe", "cafe", "ubersicht", "2024"}));
    EXPECT_EQ(SearchTerms::fold("ﬁnal ΟΔΟΣ Instand\u00adhal\u200btung"),
              "final οδοσ instandhaltung")
        << "ligature, final sigma, and a soft hyphen or zero-width space inside a word";
    EXPECT_EQ(SearchTerms::terms(QString(50, 'x')).first().size(), SearchTerms::kMaxWordLength);
    EXPECT_TRUE(SearchTerms::terms(" , ;").isEmpty());
}

TEST(SearchTermsTest, ChineseAndJapaneseRunsBecomeCharacterPairsAndTheirLastCharacter) {
    EXPECT_EQ(SearchTerms::terms("全文検索です"),
              QStringList({"全文", "文検", "検索", "索て", "てす", "す"}));
    EXPECT_EQ(SearchTerms::terms("Umsatz 売上Q1"), QStringList({"umsatz", "売上", "上", "q1"}));
    EXPECT_EQ(SearchTerms::terms("データー"), QStringList({"テー", "ータ", "ター", "ー"}))
        << "voiced kana fold to their plain form; the long vowel mark stays in the run";
    EXPECT_EQ(SearchTerms::terms("𠮷野"), QStringList({"𠮷野", "野"})) << "beyond 16 bits";
}

} // namespace
