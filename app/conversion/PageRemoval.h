#pragma once

#include "app/conversion/OutputLayout.h"

#include <QString>

// Takes a deck's page away once the deck is gone: the page and its
// companion folder, in one step under the folder's lock, so a reader of
// the folder (the index) sees the page whole or not at all. Only a page
// whose note says it was made from that very deck is removed: in the flat
// layout a deck of the same name elsewhere may own the page now, and a
// page without a note (an earlier version's, or one somebody put there)
// is not Deckvane's to remove. Everything is reached from the output
// folder without links.
class PageRemoval {
public:
    // True when the deck's page was removed; FileError when it cannot be.
    static bool remove(const OutputLayout& layout, const QString& deckPath);
    // Whether the page's note names the deck: by its path below the walked
    // folder, or by its whole path in notes of earlier versions.
    static bool madeFrom(const OutputLayout& layout, const QString& deckPath);
};
