#pragma once

#include <QByteArray>
#include <QString>

// The name a deck is shown by: the title the export gave its overview page
// (the deck's own title, else its first slide's), unless that names no
// deck -- a slide's number ("Slide 1", "Folie 1"), the office's default
// ("PowerPoint Presentation" and its translations), "Untitled" or nothing
// at all -- in which case the deck's file name says more. Titles are text:
// every character reference is decoded.
class DeckTitle {
public:
    // From the start of an overview page and the deck's file name.
    static QString of(const QByteArray& pageHead, const QString& deckFileName);
    // The page's <title> as a reader sees it (references decoded, runs of
    // white space made one space); "" when it has none.
    static QString titleElement(const QByteArray& html);
    static bool isPlaceholder(const QString& title);
    // "ecdl paris.ppt" is shown as "ecdl paris".
    static QString fromFileName(const QString& fileName);
};
