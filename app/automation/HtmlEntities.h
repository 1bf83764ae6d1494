#pragma once

#include <QString>
#include <QStringView>

// Character references in a page's text, read the way a browser reads
// them: every named reference of the standard's table (with or without
// its ";" where the table allows that, longest name first), decimal and
// hexadecimal ones, and the numbers browsers read as windows-1252. Decks
// put any character into titles and text, and the export writes many of
// them as references; a reader must never see "&shy;" spelled out.
class HtmlEntities {
public:
    static QString decode(QStringView text);
};
