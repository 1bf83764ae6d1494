#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What a slide says, read from its text page as the publish step cleaned
// it: the title, the text in its order (headings, paragraphs, list items
// with their depth) and the speaker's notes. Only text comes out, every
// reference decoded; whoever writes it into a page escapes it there.
class SlideText {
public:
    struct Block {
        enum class Kind { Heading, Paragraph, Item };
        Kind kind = Kind::Paragraph;
        int depth = 0; // list depth of an item, from 1
        QString text;  // lines separated by '\n'
    };

    QString title;
    QList<Block> text;
    QList<Block> notes;

    // The export's text page: its first centred row (the navigation) or the
    // reader's own block is no text of the deck, and a third-level heading
    // ("Notes:") begins the notes.
    static SlideText read(const QByteArray& textPage);

    // Title, text and notes as one run of words, for guessing the language.
    QString plain() const;

    // Character references of a cleaned page (numeric ones and the few
    // named ones the export writes) turned into the characters.
    static QString decode(const QString& text);
};
