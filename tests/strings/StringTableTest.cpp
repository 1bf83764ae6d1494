#include "strings/StringTable.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(StringTable, OnlyThreeExactLanguageIdsLeaveEnglish) {
    EXPECT_EQ(StringTable::languageBaseFor(2052), 10000);
    EXPECT_EQ(StringTable::languageBaseFor(1028), 30000);
    EXPECT_EQ(StringTable::languageBaseFor(1041), 40000);
    // Chinese of Hong Kong, Singapore and Macao, English variants, unknown: English.
    for (int id : {3076, 4100, 5124, 1033, 2057, 0, 0x0004, 0x7C04, 0xFFFF})
        EXPECT_EQ(StringTable::languageBaseFor(std::uint16_t(id)), 20000) << id;
}

TEST(StringTable, TheTextsTheWindowReads) {
    EXPECT_EQ(StringTable::text(20001), "Deckvane");
    EXPECT_EQ(StringTable::text(20003), "Begin");
    EXPECT_EQ(StringTable::text(20004), "Save Path");
    EXPECT_EQ(StringTable::text(20005), "OK");
    EXPECT_EQ(StringTable::text(10003), QString::fromUtf8("开始"));
    EXPECT_EQ(StringTable::text(10004), QString::fromUtf8("保存目录:"));
    EXPECT_EQ(StringTable::text(10005), QString::fromUtf8("处理完成!"));
    EXPECT_EQ(StringTable::text(30003), QString::fromUtf8("開始"));
    EXPECT_EQ(StringTable::text(30004), QString::fromUtf8("保存目錄:"));
    EXPECT_EQ(StringTable::text(40003), QString::fromUtf8("開始"));
    EXPECT_EQ(StringTable::text(40004), QString::fromUtf8("ディレクトリを保存します:"));
    EXPECT_EQ(StringTable::text(40005), QString::fromUtf8("完成を処理します!"));
    for (int base : {10000, 20000, 30000, 40000})
        EXPECT_EQ(StringTable::text(base + 1), "Deckvane");
    // Carried but unread entries keep their exact texts, trailing blank included.
    EXPECT_EQ(StringTable::text(20009), "Del All ");
    EXPECT_EQ(StringTable::text(40007), QString::fromUtf8("圧縮の完了："));
}

TEST(StringTable, MissingIdsAreEmpty) {
    for (int id : {0, 1, 10000, 10014, 20000, 20014, 49999, 50001, -1, -19999, 65248, 65252})
        EXPECT_TRUE(StringTable::text(id).isEmpty()) << id;
}

TEST(StringTable, BannerAddressDiffersOnlyInTheLanguageKey) {
    const QString prefix = QStringLiteral("http://%1/pro/htm.htm?id=58&name=Deckvane&L=")
                               .arg(QLatin1String(StringTable::kPublisherHost));
    EXPECT_EQ(StringTable::text(10013), prefix + "cn");
    EXPECT_EQ(StringTable::text(20013), prefix + "en");
    EXPECT_EQ(StringTable::text(30013), prefix + "cn");
    EXPECT_EQ(StringTable::text(40013), prefix + "jp");
    EXPECT_TRUE(QString::fromLatin1(StringTable::kPublisherHost).endsWith(".example"));
}

TEST(StringTable, SystemMenuCaptions) {
    EXPECT_EQ(StringTable::text(65249), "Mi&nimize");
    EXPECT_EQ(StringTable::text(65250), "Ma&ximize/Restore");
    EXPECT_EQ(StringTable::text(65251), "&Close");
}

TEST(StringTable, FailureTextsInEveryLanguage) {
    const int count = StringTable::failureTextCount();
    ASSERT_GT(count, 30);
    const QRegularExpression place(QStringLiteral("%[1-9]"));
    auto places = [&](const QString& text) {
        QStringList found;
        for (auto m = place.globalMatch(text); m.hasNext();)
            found << m.next().captured();
        found.sort();
        return found;
    };
    for (int offset = StringTable::kFirstFailureText;
         offset < StringTable::kFirstFailureText + count; ++offset) {
        const QString english = StringTable::text(20000 + offset);
        SCOPED_TRACE(english.toStdString());
        ASSERT_FALSE(english.isEmpty());
        // What a run writes, with something filled in.
        QString written = english;
        for (int n = 1; n <= 3; ++n)
            written.replace(QStringLiteral("%%1").arg(n), QStringLiteral("<%1 & 50%2>").arg(n));
        for (int base : {10000, 30000, 40000}) {
            const QString own = StringTable::text(base + offset);
            EXPECT_FALSE(own.isEmpty());
            EXPECT_NE(own, english);
            EXPECT_EQ(places(own), places(english));
            QString expected = own;
            for (int n = 1; n <= 3; ++n)
                expected.replace(QStringLiteral("%%1").arg(n),
                                 QStringLiteral("<%1 & 50%2>").arg(n));
            EXPECT_EQ(StringTable::failureText(base, written), expected) << base;
        }
        EXPECT_EQ(StringTable::failureText(20000, written), written);
    }
    EXPECT_EQ(StringTable::failureText(40000,
                                       QStringLiteral("Cannot read the folder: Permission denied")),
              QString::fromUtf8("フォルダーを読み取れません：Permission denied"));
    // Anything else stays as written, the server's own words included.
    EXPECT_EQ(StringTable::failureText(10000, QStringLiteral("Cannot open file")),
              "Cannot open file");
    EXPECT_EQ(StringTable::failureText(10000, QStringLiteral("The file is empty!")),
              "The file is empty!");
    // Beyond the original texts: offsets 14 and up to the first failure text
    // stay empty.
    EXPECT_TRUE(StringTable::text(20000 + StringTable::kFirstFailureText - 1).isEmpty());
    EXPECT_TRUE(StringTable::text(20000 + StringTable::kFirstFailureText + count).isEmpty());
}
