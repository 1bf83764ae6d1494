#include "app/conversion/MaskMatcher.h"

#include <QString>

namespace {
bool sameLetter(QChar a, QChar b) {
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}
} // namespace

bool MaskMatcher::matches(QStringView mask, QStringView name) {
    // A mask ending in ".*" asks for any extension or none: "*.*" is every
    // file, "notes.*" also takes "notes".
    if (mask.endsWith(QLatin1String(".*")) && !name.contains(QLatin1Char('.')) &&
        matchesPattern(mask.chopped(2), name))
        return true;
    return matchesPattern(mask, name);
}

bool MaskMatcher::matchesPattern(QStringView mask, QStringView name) {
    // Greedy scan with one back-track point: the last "*" seen and the name
    // position it has swallowed up to. Linear in practice, never exponential.
    qsizetype m = 0;
    qsizetype n = 0;
    qsizetype starMask = -1;
    qsizetype starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == QLatin1Char('*')) {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() &&
                   (mask[m] == QLatin1Char('?') || sameLetter(mask[m], name[n]))) {
            ++m;
            ++n;
        } else if (starMask >= 0) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == QLatin1Char('*'))
        ++m;
    return m == mask.size();
}
