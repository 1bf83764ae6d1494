#include "app/conversion/ShardSelector.h"

#include "platform/LocalPath.h"

#include <algorithm>

bool ShardSelector::parse(const QString& text, ShardSelector* selector, QString* error) {
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    bool indexOk = false;
    bool countOk = false;
    const int index =
        slash < 0 || !isNumber(text.left(slash)) ? 0 : text.left(slash).toInt(&indexOk);
    const int count =
        slash < 0 || !isNumber(text.mid(slash + 1)) ? 0 : text.mid(slash + 1).toInt(&countOk);
    if (!indexOk || !countOk || count < 1 || index < 1 || index > count) {
        *error = QStringLiteral("--shard wants K/N with 1 <= K <= N, not \"%1\"").arg(text);
        return false;
    }
    *selector = ShardSelector(index, count);
    return true;
}

bool ShardSelector::isNumber(const QString& text) {
    // Digits alone: QString::toInt would also take blanks around them and
    // a sign, which a command line should refuse as a typo.
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

std::uint64_t ShardSelector::hash(const QByteArray& bytes) {
    std::uint64_t value = 14695981039346656037ull;
    for (const char byte : bytes) {
        value ^= static_cast<unsigned char>(byte);
        value *= 1099511628211ull;
    }
    return value;
}

std::uint64_t ShardSelector::mix(std::uint64_t value) {
    // FNV-1a's multiplication carries a byte's bits only upwards, so the
    // low bits that "% N" keeps hardly depend on the path: names that
    // differ in one letter ("Kapitel A", "Kapitel C", ...) fell into one
    // shard of two. The finalizer of MurmurHash3 makes every output bit
    // depend on every input bit.
    value ^= value >> 33;
    value *= 0xff51afd7ed558ccdull;
    value ^= value >> 33;
    value *= 0xc4ceb9fe1a85ec53ull;
    value ^= value >> 33;
    return value;
}

int ShardSelector::shardOf(const QString& relativePath, int count) {
    // The native bytes, so a name that is not valid UTF-8 hashes the same
    // on a machine whatever its locale.
    return int(mix(hash(LocalPath::toNative(relativePath))) % std::uint64_t(count)) + 1;
}

bool ShardSelector::contains(const QString& relativePath) const {
    return m_count == 1 || shardOf(relativePath, m_count) == m_index;
}
