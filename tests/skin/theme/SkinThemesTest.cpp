#include "skin/theme/SkinThemes.h"
#include "component/PropertyByName.h"
#include "tests/skin/SkinTestComponents.h"

#include <QVariant>
#include <gtest/gtest.h>

using skintest::TskForm;
using skintest::TskStyleOnly;
using skintest::TskTestButton;
using skintest::TskTestPanel;

TEST(SkinThemes, StylesKeepTheirOrdinalsAndNames) {
    EXPECT_EQ(sizeof(TskUIStyle), 1u);
    EXPECT_EQ(int(TskUIStyle::FromThemeFile), 0);
    EXPECT_EQ(int(TskUIStyle::BlueGlass), 5);
    // Layouts store styles by name: a property of the type takes the name.
    TskTestButton button;
    EXPECT_TRUE(button.setProperty("UIStyle", QStringLiteral("MacOS")));
    EXPECT_EQ(button.UIStyle(), TskUIStyle::MacOS);
    EXPECT_TRUE(SetPropertyByName(&button, "uistyle", QStringLiteral("BlueGlass")));
    EXPECT_EQ(button.UIStyle(), TskUIStyle::BlueGlass);
    EXPECT_EQ(button.property("UIStyle").toString(), QStringLiteral("BlueGlass"));
    EXPECT_FALSE(button.setProperty("UIStyle", QStringLiteral("Motif")));
    EXPECT_EQ(button.UIStyle(), TskUIStyle::BlueGlass);
}

TEST(SkinThemes, KeyNamesStateTheirKinds) {
    for (TskThemeKey key = ThemeKey::First; key <= ThemeKey::Last; ++key) {
        const QString name = QLatin1String(ThemeKeyNames[key - 1]);
        const TskThemeValueKind kind = ThemeKeyKind(key);
        const char* suffix = kind == TskThemeValueKind::tvImage   ? "Image"
                             : kind == TskThemeValueKind::tvBool  ? "Bool"
                             : kind == TskThemeValueKind::tvColor ? "Color"
                                                                  : "Int";
        EXPECT_TRUE(name.endsWith(QLatin1String(suffix))) << qPrintable(name);
        EXPECT_EQ(ThemeKeyFromName(name.toUpper()), key);
    }
    EXPECT_EQ(ThemeKeyFromName(QStringLiteral("NoSuchKey")), 0);
    EXPECT_STREQ(ThemeKeyNames[ThemeKey::TitleBarButtonTopInt - 1], "TitleBarButtonTopInt");
}

TEST(SkinThemes, EveryBuiltinValueIsTheTablesValue) {
    // Key, then MacOS, WinXP, DeepBlue, Protein, BlueGlass; every key that is
    // not an image.
    struct Row {
        TskThemeKey key;
        qint32 values[5];
    };
    const Row table[] = {
        {2, {1, 0, 0, 0, 1}},
        {6, {0, 0, 0, 1, 1}},
        {7, {3, 2, 0, 0, 4}},
        {8, {-2, -2, 0, 0, -3}},
        {9, {4, 5, 2, 2, 6}},
        {13, {130, 150, 130, 130, 270}},
        {14, {0, 13, 0, 0, 11}},
        {15, {0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7}},
        {16, {0x7F7F7F, 0xC82C00, 0, 0, 0}},
        {17, {1, 3, 1, 1, 1}},
        {18, {0xC47339, 0xC66931, 0xA04A44, 0xC4302D, 0xEC5E5E}},
        {19, {0xC47339, 0xEFD3C6, 0xA04A44, 0xC4302D, 0xEC5E5E}},
        {20, {0xFFFFFF, 0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}},
        {21, {0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xE7E7E7}},
        {22, {0, 0, 0, 0, 0}},
        {23, {0, 0xCED3D6, 0xCED3D6, 0xCED3D6, 0xCED3D6}},
        {25, {0x7F7F7F, 0x686868, 0, 0, 0}},
        {26, {0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7}},
        {27, {0, 0xCF4602, 0, 0, 0}},
        {31, {0xC9C9C9, 0xF9F9F9, 0xF5F5F5, 0xF5F5F5, 0xF4F4F4}},
        {35, {0x474747, 0xC66931, 0x474747, 0x474747, 0x474747}},
        {36, {0xEFEFEF, 0xEFD3C6, 0xEFEFEF, 0xEFEFEF, 0xEFEFEF}},
        {37, {0xD8D8D8, 0xE1AC93, 0xD8D8D8, 0xD8D8D8, 0xD8D8D8}},
        {44, {0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}},
        {47, {0, 0, 0, 0, 0}},
        {48, {0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7}},
    };
    int checked = 0;
    for (const Row& row : table) {
        for (int s = 0; s < 5; ++s) {
            const auto style = TskUIStyle(s + 1);
            TskThemeValueKind kind = TskThemeValueKind::tvImage;
            EXPECT_EQ(GetBuiltinThemeValue(style, row.key, kind), row.values[s])
                << ThemeKeyNames[row.key - 1] << " of style " << s + 1;
            EXPECT_NE(kind, TskThemeValueKind::tvImage) << ThemeKeyNames[row.key - 1];
            ++checked;
        }
    }
    // Together with the image keys, the whole table.
    int imageKeys = 0;
    for (TskThemeKey key = ThemeKey::First; key <= ThemeKey::Last; ++key)
        imageKeys += ThemeKeyKind(key) == TskThemeValueKind::tvImage;
    EXPECT_EQ(checked / 5 + imageKeys, 48);
}

TEST(SkinThemes, BuiltinValuesByKind) {
    EXPECT_EQ(GetBuiltinColor(TskUIStyle::MacOS, 15), 0xE7E7E7);
    EXPECT_EQ(GetBuiltinColor(TskUIStyle::MacOS, 17), 0);
    EXPECT_EQ(GetBuiltinInt(TskUIStyle::MacOS, 17), 1);
    EXPECT_EQ(GetBuiltinInt(TskUIStyle::MacOS, 15), -1);
    EXPECT_EQ(GetBuiltinInt(TskUIStyle::BlueGlass, 8), -3);
    EXPECT_TRUE(GetBuiltinBool(TskUIStyle::MacOS, 2));
    EXPECT_FALSE(GetBuiltinBool(TskUIStyle::WinXP, 2));
    EXPECT_TRUE(GetBuiltinBool(TskUIStyle::Protein, 6));
    EXPECT_FALSE(GetBuiltinBool(TskUIStyle::MacOS, 7)); // an integer key holding 3

    TskThemeValueKind kind = TskThemeValueKind::tvBool;
    EXPECT_EQ(GetBuiltinThemeValue(TskUIStyle::WinXP, 14, kind), 13);
    EXPECT_EQ(kind, TskThemeValueKind::tvInt);
    EXPECT_EQ(GetBuiltinThemeValue(TskUIStyle::DeepBlue, 18, kind), 0xA04A44);
    EXPECT_EQ(kind, TskThemeValueKind::tvColor);
}

TEST(SkinThemes, StylesOutsideTheTableGiveEmptyAnswers) {
    EXPECT_EQ(GetBuiltinInt(TskUIStyle::FromThemeFile, 7), -1);
    EXPECT_EQ(GetBuiltinColor(TskUIStyle::FromThemeFile, 15), 0);
    EXPECT_FALSE(GetBuiltinBool(TskUIStyle::FromThemeFile, 2));
    TskThemeValueKind kind = TskThemeValueKind::tvColor;
    EXPECT_EQ(GetBuiltinThemeValue(TskUIStyle(9), 15, kind), -1);
    EXPECT_EQ(kind, TskThemeValueKind::tvInt);
    // Only the low seven bits select the row.
    EXPECT_EQ(GetBuiltinInt(TskUIStyle(0x80 | 2), 14), 13);
    QImage untouched(3, 3, QImage::Format_RGB32);
    LoadBuiltinBitmap(TskUIStyle::FromThemeFile, ThemeKey::ButtonImage, &untouched);
    EXPECT_EQ(untouched.size(), QSize(3, 3));
}

TEST(SkinThemes, ImageNamesFollowStyleAndKey) {
    EXPECT_EQ(GetBuiltinImageName(TskUIStyle::WinXP, ThemeKey::ButtonImage), "WINXP_BUTTON");
    EXPECT_EQ(GetBuiltinImageName(TskUIStyle::MacOS, 38), "MACOS_SCROLLBUTTON");
    EXPECT_EQ(GetBuiltinImageName(TskUIStyle::DeepBlue, 38), "MORE_SCROLLBUTTON");
    EXPECT_EQ(GetBuiltinImageName(TskUIStyle::BlueGlass, 38), "MORE_SCROLLBUTTON");
    EXPECT_EQ(GetBuiltinImageName(TskUIStyle::Protein, 41), "PROTEIN_SIDECHENNEL_HANDLE");
    EXPECT_TRUE(GetBuiltinImageName(TskUIStyle::MacOS, 43).isEmpty());
    EXPECT_TRUE(GetBuiltinImageName(TskUIStyle::MacOS, 45).isEmpty());
    EXPECT_TRUE(GetBuiltinImageName(TskUIStyle::MacOS, 15).isEmpty());
    EXPECT_TRUE(GetBuiltinImageName(TskUIStyle::FromThemeFile, 1).isEmpty());
}

TEST(SkinThemes, BuiltinBitmapsWholeAndFramed) {
    QImage whole;
    GetBuiltinBitmap(TskUIStyle::WinXP, ThemeKey::ButtonImage, &whole);
    ASSERT_EQ(whole.size(), QSize(54, 21));
    QImage frame;
    GetBuiltinBitmap(TskUIStyle::WinXP, ThemeKey::ButtonImage, &frame, 3, 2);
    ASSERT_EQ(frame.size(), QSize(18, 21));
    EXPECT_EQ(frame, whole.copy(18, 0, 18, 21));

    QImage scroll;
    GetBuiltinBitmap(TskUIStyle::DeepBlue, 38, &scroll);
    EXPECT_EQ(scroll.size(), QSize(72, 17));
    GetBuiltinBitmap(TskUIStyle::MacOS, 38, &scroll);
    EXPECT_EQ(scroll.size(), QSize(72, 18));

    // No built-in image: whole requests leave the bitmap, framed ones empty it.
    QImage kept(5, 5, QImage::Format_RGB32);
    GetBuiltinBitmap(TskUIStyle::MacOS, ThemeKey::FormLeftBorderImage, &kept);
    EXPECT_EQ(kept.size(), QSize(5, 5));
    GetBuiltinBitmap(TskUIStyle::MacOS, ThemeKey::FormLeftBorderImage, &kept, 3, 1);
    EXPECT_TRUE(kept.isNull());
    GetBuiltinBitmap(TskUIStyle::MacOS, ThemeKey::ButtonImage, nullptr, 3, 1);
}

TEST(SkinThemes, UsingFileThemeFallsBackToDeepBlue) {
    TskUIStyle effective = TskUIStyle::MacOS;
    EXPECT_FALSE(UsingFileTheme(nullptr, TskUIStyle::FromThemeFile, effective));
    EXPECT_EQ(effective, TskUIStyle::DeepBlue);
    TskFileTheme unloaded;
    EXPECT_FALSE(UsingFileTheme(&unloaded, TskUIStyle::FromThemeFile, effective));
    EXPECT_EQ(effective, TskUIStyle::DeepBlue);
    EXPECT_FALSE(UsingFileTheme(&unloaded, TskUIStyle::WinXP, effective));
    EXPECT_EQ(effective, TskUIStyle::WinXP);
    // Without a loaded theme the resolved value is DeepBlue's.
    EXPECT_EQ(SkinGetColor(&unloaded, TskUIStyle::FromThemeFile, ThemeKey::MenuSelectedBorderColor),
              0xA04A44);
}

TEST(SkinThemes, NewComponentsTakeTheOwnerFormsStyle) {
    QWidget form;
    auto* skinForm = new TskForm(&form);
    skinForm->SetUIStyle(TskUIStyle::MacOS);
    TskTestButton onSkinForm(&form);
    EXPECT_EQ(onSkinForm.UIStyle(), TskUIStyle::MacOS);

    QWidget plain;
    TskTestButton onPlainForm(&plain);
    EXPECT_EQ(onPlainForm.UIStyle(), TskUIStyle::DeepBlue);
    // A panel is not a form, even with a skinned form beside it.
    auto* panel = new TskTestPanel(&form);
    EXPECT_EQ(GetOwnerFormUIStyle(panel), TskUIStyle::DeepBlue);
    EXPECT_EQ(GetOwnerFormUIStyle(nullptr), TskUIStyle::DeepBlue);
}

TEST(SkinThemes, ContainerApplyUIStyleReachesDirectChildrenWithBothProperties) {
    QWidget form;
    auto* button = new TskTestButton(&form);
    auto* panel = new TskTestPanel(&form);
    auto* inPanel = new TskTestButton(panel);
    auto* styleOnly = new TskStyleOnly(&form);
    TskFileTheme theme;
    ContainerApplyUIStyle(&form, TskUIStyle::WinXP, &theme);
    EXPECT_EQ(button->UIStyle(), TskUIStyle::WinXP);
    EXPECT_EQ(button->FileTheme(), &theme);
    EXPECT_EQ(button->borderColor, 0xC82C00);
    EXPECT_EQ(inPanel->UIStyle(), TskUIStyle::DeepBlue);
    EXPECT_EQ(inPanel->FileTheme(), nullptr);
    EXPECT_EQ(styleOnly->UIStyle(), TskUIStyle::DeepBlue);
    EXPECT_FALSE(panel->Transparent());
}
