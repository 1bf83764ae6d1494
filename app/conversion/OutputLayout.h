#pragma once

#include <QString>

// Where a deck's page goes. Flat (the default): every page straight in the
// output folder, so decks of the same name replace each other. Tree: under
// the same relative folder as the deck, so they stay apart; a page and its
// "<name>_files/" stay side by side, so the links inside keep working.
// No page, companion folder or file of the archive's own can take another's
// name: a folder of the tree whose name one of them could have gets one
// more "_" (see folderName), and no name of the archive's (ArchiveNames)
// ends in ".htm" or "_files", as a deck's page and companion folder do.
class OutputLayout {
public:
    OutputLayout(QString walkedFolder, QString outputFolder, bool tree)
        : m_walked(std::move(walkedFolder)), m_output(std::move(outputFolder)), m_tree(tree) {}

    // The path below the walked folder, as the walk spells it (the walk
    // joins with exactly one "/"); the path itself when it is not below.
    QString relativePath(const QString& sourcePath) const;
    // The folder the deck's page goes into.
    QString folderFor(const QString& sourcePath) const;
    // The page path, named as the converter names it: the file name up to
    // its first dot + ".htm".
    QString pageFor(const QString& sourcePath) const;

    // The name a folder of the walked tree has in the output tree: its own,
    // or with one more "_" when it ends in "_files", ".htm" or ".html" or is
    // a name of the archive's, with any "_" after that; one-to-one, and
    // never a page's, a companion folder's or the archive's name.
    static QString folderName(const QString& name);

    // True when the deck's page is complete (the test the publish step puts
    // an export to) and either its note names this deck (by its path below
    // the walked folder, or in notes of earlier versions by its whole path)
    // with the deck's modification time, or the page was modified after the
    // deck (to the nanosecond; pages without a note, and decks of the same
    // name in the flat layout); false when either cannot be read. The page
    // is reached from the output folder without links.
    bool isUpToDate(const QString& sourcePath) const;
    // Whether a page's note (its source, see HtmlPublisher::SourceNote)
    // names the deck: by its path below the walked folder, or in notes of
    // earlier versions by its whole path; never when the note is empty.
    bool noteNames(const QString& noteSource, const QString& sourcePath) const;

    bool tree() const { return m_tree; }
    const QString& outputFolder() const { return m_output; }

private:
    QString m_walked;
    QString m_output;
    bool m_tree;
};
