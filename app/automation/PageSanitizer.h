#pragma once

#include <QByteArray>

// Makes a page the export wrote safe to publish. Whoever wrote the deck
// chose its slide names, text, notes and links, and the export copies some
// of them into the pages as markup (a slide name goes unescaped into the
// overview's table of contents). Every tag is read the way a browser reads
// it; a tag the export does not write, or one carrying an event handler, is
// turned into text (its "<" escaped), so the reader still sees what the
// deck said; an address with a scheme other than the plain ones
// (javascript:, vbscript:, data: and the like) is removed from its tag. The
// pages need no script, and a policy that forbids any comes first in each
// page as a second wall, with a viewport and pictures that shrink to a
// narrow screen (a wide one shows the page as the export laid it out).
class PageSanitizer {
public:
    // The policy every published page carries: no script, no plug-in, no
    // form, pictures and styles only from the page's own place.
    static constexpr char kContentSecurityPolicy[] =
        "default-src 'none'; img-src 'self' data:; style-src 'self' 'unsafe-inline'; "
        "base-uri 'none'; form-action 'none'";
    // The meta elements and style that go first into a page's head.
    static QByteArray headPrelude();

    // The page with its active content turned into text and the prelude in
    // its head. Bytes outside tags stay as they were (the export writes its
    // text escaped), so any ASCII-compatible encoding passes through.
    static QByteArray clean(const QByteArray& html);

    // Whether an address may stay a link: relative, or with the scheme
    // http, https, ftp or mailto, once entities, blanks and controls are
    // read as a browser reads them.
    static bool isSafeAddress(const QByteArray& value);
};
