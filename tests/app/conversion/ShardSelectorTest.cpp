#include "tests/app/automation/QStringPrinter.h"

#include "app/conversion/ShardSelector.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

TEST(ShardSelectorTest, ShardsPartitionATreeAndStayTheSameAcrossRuns) {
    QStringList paths;
    for (int i = 0; i < 500; ++i)
        paths << QStringLiteral("dept %1/year/deck%2.ppt").arg(i % 7).arg(i);
    for (int count : {1, 2, 3, 8}) {
        QSet<QString> seen;
        QList<int> sizes(count, 0);
        for (int k = 1; k <= count; ++k) {
            const ShardSelector shard(k, count);
            for (const QString& path : paths) {
                if (!shard.contains(path))
                    continue;
                EXPECT_FALSE(seen.contains(path)) << "in two shards: " << path.toStdString();
                seen.insert(path);
                ++sizes[k - 1];
            }
        }
        EXPECT_EQ(seen.size(), paths.size()) << count << " shards must cover every file";
        for (int size : sizes)
            EXPECT_GT(size, 500 / count / 2) << "shards of " << count << " far from even";
    }
    // Names that differ in one letter, as chapters do, spread too: without
    // the mix all twelve fell into one shard of two and into half of eight.
    QStringList chapters;
    for (char letter = 'A'; letter <= 'W'; letter += 2)
        chapters << QStringLiteral("Kapitel %1.ppt").arg(QLatin1Char(letter));
    for (int count : {2, 8}) {
        QList<int> sizes(count, 0);
        for (const QString& chapter : chapters)
            ++sizes[ShardSelector::shardOf(chapter, count) - 1];
        EXPECT_LE(sizes.count(0), count / 4) << count << " shards";
        for (int size : sizes)
            EXPECT_LE(size, 2 * chapters.size() / count) << "over " << count << " shards";
    }
    // The hash is fixed: these values hold on every machine, in every run.
    EXPECT_EQ(ShardSelector::hash(""), 14695981039346656037ull);
    EXPECT_EQ(ShardSelector::hash("a"), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(ShardSelector::mix(0xaf63dc4c8601ec8cull), 0x82a2a958a9bece5bull);
    EXPECT_EQ(ShardSelector::shardOf("archive/1990s/37625.ppt", 4),
              ShardSelector::shardOf(QString("archive/1990s/37625.ppt"), 4));
}

TEST(ShardSelectorTest, ParsesKOfNAndRefusesTheRest) {
    ShardSelector shard;
    QString error;
    ASSERT_TRUE(ShardSelector::parse("3/4", &shard, &error));
    EXPECT_EQ(shard.index(), 3);
    EXPECT_EQ(shard.count(), 4);
    for (const char* bad : {"0/4", "5/4", "4", "/4", "1/0", "a/b", "1/2/3", "-1/2", ""}) {
        error.clear();
        EXPECT_FALSE(ShardSelector::parse(bad, &shard, &error)) << bad;
        EXPECT_FALSE(error.isEmpty());
    }
}

} // namespace
