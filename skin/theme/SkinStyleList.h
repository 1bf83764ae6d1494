#pragma once

// The styles there are: the built-in records, in ordinal order, and any a
// program (or a test) adds. Code, tools, the gallery and the tests walk this
// list rather than naming the styles.

#include "skin/theme/SkinStyle.h"

#include <vector>

class SkinStyleList {
public:
    static const std::vector<SkinStyle>& All();
    // The record of a style; only the low seven bits of the ordinal count.
    // Null for FromThemeFile and ordinals without a record.
    static const SkinStyle* Find(TskUIStyle style);
    // Whether the style has a record with the trait set.
    static bool Has(TskUIStyle style, bool SkinStyle::*trait);

    // Adds a style after the built-in ones; false when its ordinal is 0,
    // above 127 or taken. For start-up and tests: records handed out before
    // may move.
    static bool Add(const SkinStyle& style);
    // Takes an added style out again; the built-in ones stay.
    static void Remove(TskUIStyle style);
    // Changes whenever the list does, for caches built from it.
    static int Generation();
};
