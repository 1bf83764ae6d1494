#include "platform/SystemLanguage.h"

#include <QMap>
#include <gtest/gtest.h>

TEST(SystemLanguage, LocaleNamesMapToWindowsLanguageIds) {
    EXPECT_EQ(SystemLanguage::languageIdFromLocale("zh_CN.UTF-8"), 2052);
    EXPECT_EQ(SystemLanguage::languageIdFromLocale("zh_TW.UTF-8"), 1028);
    EXPECT_EQ(SystemLanguage::languageIdFromLocale("zh_HK.UTF-8"), 3076);
    EXPECT_EQ(SystemLanguage::languageIdFromLocale("zh_SG"), 4100);
    EXPECT_EQ(SystemLanguage::languageIdFromLocale("zh_MO.utf8"), 5124);
    EXPECT_EQ(SystemLanguage::languageIdFromLocale("ja_JP.UTF-8"), 1041);
    EXPECT_EQ(SystemLanguage::languageIdFromLocale("en_US.UTF-8"), 1033);
    EXPECT_EQ(SystemLanguage::languageIdFromLocale("en_GB.UTF-8"), 2057);
    EXPECT_EQ(SystemLanguage::languageIdFromLocale("de_DE.UTF-8@euro"), 1031);
    EXPECT_EQ(SystemLanguage::languageIdFromLocale("ja"), 1041);
    EXPECT_EQ(SystemLanguage::languageIdFromLocale("C"), 1033);
    EXPECT_EQ(SystemLanguage::languageIdFromLocale("C.UTF-8"), 1033);
    EXPECT_EQ(SystemLanguage::languageIdFromLocale("POSIX"), 1033);
    EXPECT_EQ(SystemLanguage::languageIdFromLocale(""), 1033);
    EXPECT_EQ(SystemLanguage::languageIdFromLocale("xx_YY"), 1033);
}

TEST(SystemLanguage, LcAllWinsOverLcMessagesOverLang) {
    QMap<QString, QString> env{{"LANG", "ja_JP.UTF-8"}, {"LC_MESSAGES", "zh_TW.UTF-8"}};
    auto get = [&](const char* name) { return env.value(QString::fromLatin1(name)); };
    EXPECT_EQ(SystemLanguage::localeName(get), "zh_TW.UTF-8");
    env["LC_ALL"] = "zh_CN.UTF-8";
    EXPECT_EQ(SystemLanguage::localeName(get), "zh_CN.UTF-8");
    env.clear();
    EXPECT_EQ(SystemLanguage::localeName(get), QString());
}

TEST(SystemLanguage, MiddleEastLanguagesOnly) {
    EXPECT_TRUE(SystemLanguage::isMiddleEastLocale("ar_SA.UTF-8"));
    EXPECT_TRUE(SystemLanguage::isMiddleEastLocale("he_IL"));
    EXPECT_TRUE(SystemLanguage::isMiddleEastLocale("fa_IR.UTF-8"));
    EXPECT_TRUE(SystemLanguage::isMiddleEastLocale("ur_PK"));
    EXPECT_FALSE(SystemLanguage::isMiddleEastLocale("en_US.UTF-8"));
    EXPECT_FALSE(SystemLanguage::isMiddleEastLocale("C"));
}
