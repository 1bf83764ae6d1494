#pragma once

#include <QString>

// The language a deck is written in, for the pages' lang attribute, which
// screen readers pronounce by and browsers hyphenate and translate by. The
// office cannot tell: its decks report the language of the machine they
// were written on, not of their text. Scripts used by one language decide
// at once; Latin text by its commonest short words.
class DeckLanguage {
public:
    // A BCP 47 language ("en", "de", "ja", ...), or "und" when the text
    // does not say clearly.
    static QString guess(const QString& text);
};
