// A style is one record: adding a throwaway sixth one here, and nothing
// else, is enough for the image catalogue, the theme look-ups and the gallery.
#include "GalleryPage.h"
#include "skin/theme/SkinImageCatalog.h"
#include "skin/theme/SkinStyleList.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr auto Sixth = TskUIStyle(6);

// DeepBlue with another ordinal, name and prefix, a colour of its own and
// pinstripes.
SkinStyle sixthStyle() {
    SkinStyle style = *SkinStyleList::Find(TskUIStyle::DeepBlue);
    style.style = Sixth;
    style.name = "Sixth";
    style.prefix = "SIXTH";
    style.formBackgroundColor = 0x123456;
    style.images.formBackground = {8, 8};
    style.patternBackground = true;
    return style;
}

// The style is in the list for the test's lifetime only.
class SixthStyle : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SkinStyleList::Add(sixthStyle())); }
    void TearDown() override { SkinStyleList::Remove(Sixth); }
};

TEST_F(SixthStyle, TheCatalogueListsItsImages) {
    const SkinStyle& deepBlue = *SkinStyleList::Find(TskUIStyle::DeepBlue);
    const TskBuiltinImageInfo* button = FindBuiltinImage(QStringLiteral("SIXTH_BUTTON"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->style, QStringLiteral("SIXTH"));
    EXPECT_EQ(button->width, deepBlue.images.button.width);
    EXPECT_EQ(button->frames, 3);
    EXPECT_NE(FindBuiltinImage(QStringLiteral("SIXTH_FORM_BACKGROUND")), nullptr);
    EXPECT_EQ(FindBuiltinImage(QStringLiteral("SIXTH_SCROLLBUTTON")), nullptr);

    SkinStyleList::Remove(Sixth);
    EXPECT_EQ(FindBuiltinImage(QStringLiteral("SIXTH_BUTTON")), nullptr);
    ASSERT_TRUE(SkinStyleList::Add(sixthStyle()));
}

TEST_F(SixthStyle, TheLookUpsAnswerFromItsRecord) {
    EXPECT_EQ(GetBuiltinColor(Sixth, ThemeKey::FormBackgroundColor), 0x123456);
    EXPECT_EQ(GetBuiltinInt(Sixth, ThemeKey::TitleBarButtonTopInt), 2);
    // Only the low seven bits of the ordinal count, as for the built-in styles.
    EXPECT_EQ(GetBuiltinColor(TskUIStyle(0x80 | 6), ThemeKey::FormBackgroundColor), 0x123456);
    EXPECT_EQ(BuiltinStylePrefix(Sixth), QStringLiteral("SIXTH"));
    EXPECT_EQ(GetBuiltinImageName(Sixth, ThemeKey::ButtonImage), QStringLiteral("SIXTH_BUTTON"));
    // Without a scroll-button strip of its own it shares the common one.
    EXPECT_EQ(GetBuiltinImageName(Sixth, ThemeKey::ScrollButtonImage),
              QStringLiteral("MORE_SCROLLBUTTON"));
    EXPECT_TRUE(SkinStyleList::Has(Sixth, &SkinStyle::patternBackground));
    EXPECT_FALSE(SkinStyleList::Has(Sixth, &SkinStyle::menusFromImages));
    // Its ordinal is taken now.
    EXPECT_FALSE(SkinStyleList::Add(sixthStyle()));
}

TEST_F(SixthStyle, TheGalleryRendersItLikeTheOthers) {
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    bool rendered = false;
    for (const GalleryPage::Entry& page : GalleryPage::all()) {
        if (QLatin1String(page.name) == QLatin1String("titlebar"))
            rendered = page.render(out.path());
    }
    ASSERT_TRUE(rendered);
    const QStringList expected =
        QDir(out.filePath(QStringLiteral("DeepBlue"))).entryList(QDir::Files);
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(QDir(out.filePath(QStringLiteral("Sixth"))).entryList(QDir::Files), expected);
}

} // namespace
