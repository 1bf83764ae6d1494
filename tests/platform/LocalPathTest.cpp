#include "platform/LocalPath.h"
#include "tests/app/automation/QStringPrinter.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

TEST(LocalPathTest, EveryByteSequenceSurvivesTheRoundTrip) {
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        all.append(char(b));
    EXPECT_EQ(LocalPath::toNative(LocalPath::fromNative(all)), all);
    QRandomGenerator random(42);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes;
        const int length = int(random.bounded(12));
        for (int i = 0; i < length; ++i)
            bytes.append(char(1 + random.bounded(255)));
        ASSERT_EQ(LocalPath::toNative(LocalPath::fromNative(bytes)), bytes)
            << bytes.toHex().toStdString();
    }
}

TEST(LocalPathTest, ValidUtf8IsPlainTextAndOtherBytesAreEscaped) {
    EXPECT_EQ(LocalPath::fromNative("Vorträge/アジア資料"),
              QString::fromUtf8("Vorträge/アジア資料"));
    EXPECT_TRUE(LocalPath::isPlainText(QString::fromUtf8("Vorträge 𠮟")));
    const QString escaped = LocalPath::fromNative("caf\xe9");
    EXPECT_EQ(escaped.size(), 4);
    EXPECT_FALSE(LocalPath::isPlainText(escaped));
    // Overlong forms and encoded surrogates are not valid UTF-8 either.
    EXPECT_FALSE(LocalPath::isPlainText(LocalPath::fromNative("\xc0\xaf")));
    EXPECT_FALSE(LocalPath::isPlainText(LocalPath::fromNative("\xed\xa0\x80")));
    EXPECT_EQ(LocalPath::fileName("/a/b/c.ppt"), "c.ppt");
    EXPECT_EQ(LocalPath::fileName("c.ppt"), "c.ppt");
}

} // namespace
