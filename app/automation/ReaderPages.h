#pragma once

#include "platform/AnchoredFolder.h"

#include <QByteArray>
#include <QRgb>
#include <QString>

// The pages a reader gets, made by the publish step from what the export
// wrote once it has been cleaned: a slide page for every slide (its title
// as heading and as the picture's text, a sharp picture for dense screens
// where there is one, the slide's text and notes, links and keys to move
// through the deck, a link home to the archive's front page), an overview
// headed with the deck's name, and the export's text pages with the same
// navigation. All of it is Deckvane's own markup; the deck's words come
// from the cleaned pages as text and are escaped here. The slide pages and
// the overview load the deck's copy of Deckvane's script, reader.js, and
// allow no other script; the text pages stay without any.
class ReaderPages {
public:
    static constexpr char kScript[] = "reader.js";
    static constexpr char kStyle[] = "reader.css";
    static constexpr char kPdf[] = "deck.pdf";

    // What the export was asked for: the width its slide pages' link areas
    // were measured at (the pictures may since have been replaced).
    struct Export {
        int pictureWidth = 800;
    };

    // The archive the run writes into: its front page is index.html in
    // root, made by this run when indexed. Pages link to it when it is (or
    // will be) there. Until a run says, a page links to an index.html
    // beside it.
    static void setArchive(const QString& root, bool indexed);

    // Rewrites the staged export in `staging` (the page `stagedPage`, the
    // companions beside it) into the reader's pages for outputPath, and
    // adds the script and the style. Raises FileError when a file cannot be
    // written.
    // The deck is named as its title says, else by deckFileName.
    static void build(const AnchoredFolder& staging, const QString& stagedPage,
                      const QString& outputPath, const QString& deckFileName,
                      const Export& made);
    // The files build() adds beside the pages and answers for (the PDF it
    // checks, the script and style it writes).
    static bool isOwnFile(const QString& name);

    // The link from a page in pageFolder to root's index.html ("" for none):
    // "./index.html", "../index.html", ...; none when pageFolder is not
    // inside root.
    static QString homeLink(const QString& root, const QString& pageFolder);

    // Whether the office's PDF may be offered for download: a whole PDF
    // with nothing in it that runs, submits, launches or carries files.
    static bool isPlainPdf(const QByteArray& pdf);

    // The contrast of two colours as WCAG measures it (1 to 21).
    static double contrast(QRgb first, QRgb second);

    static QString escape(const QString& text);
};
