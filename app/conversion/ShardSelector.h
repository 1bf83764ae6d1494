#pragma once

#include <QString>
#include <cstdint>

// Splits a tree between machines: a file belongs to shard K of N by a hash
// of its path relative to the walked folder. The hash is fixed (64-bit
// FNV-1a over the path's bytes, then mixed so that similar names spread),
// so every machine and every run puts a file in the same shard, and the N
// shards of a tree partition it.
class ShardSelector {
public:
    // Every file (no sharding).
    ShardSelector() = default;
    // Shard index (1..count) of count; both checked by parse().
    ShardSelector(int index, int count) : m_index(index), m_count(count) {}

    // "K/N" with 1 <= K <= N; false (and *error set) otherwise.
    static bool parse(const QString& text, ShardSelector* selector, QString* error);
    // Decimal digits and nothing else (no blank, no sign).
    static bool isNumber(const QString& text);

    bool contains(const QString& relativePath) const;
    // The shard (1..count) a relative path falls into.
    static int shardOf(const QString& relativePath, int count);
    static std::uint64_t hash(const QByteArray& bytes);
    static std::uint64_t mix(std::uint64_t value);

    int index() const { return m_index; }
    int count() const { return m_count; }
    bool isWhole() const { return m_count == 1; }

private:
    int m_index = 1;
    int m_count = 1;
};
