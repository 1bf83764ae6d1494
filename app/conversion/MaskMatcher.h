#pragma once

#include <QStringView>

// File masks as the user types them: "*" stands for any run of characters,
// "?" for exactly one, and every other character (brackets included) only
// for itself, compared without regard to case. A mask ending in ".*" also
// matches names without a dot.
class MaskMatcher {
public:
    static bool matches(QStringView mask, QStringView name);

private:
    static bool matchesPattern(QStringView mask, QStringView name);
};
