#pragma once

#include <QString>
#include <QStringList>

// The words of a text as the archive's search sees them. The front page's
// script applies the same rules to what is typed, so both sides must agree
// character for character: case and accents are dropped (compatibility
// decomposition, marks removed, lower case), a word is a run of letters and
// digits, and Chinese and Japanese runs, written without spaces, become
// their overlapping character pairs plus the run's last character, so any
// part of a phrase can be found without a dictionary.
class SearchTerms {
public:
    // At most this many characters of a word are kept; longer "words" are
    // mostly encoded data pasted into a slide.
    static constexpr int kMaxWordLength = 40;

    static QString fold(const QString& text);
    // Every term of the text in order, repeats included.
    static QStringList terms(const QString& text);
    static bool isIdeographic(char32_t c);
};
