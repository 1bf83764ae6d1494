#pragma once

#include <QByteArray>
#include <QSet>

// Makes a page the export wrote safe to publish. Whoever wrote the deck
// chose its slide names, text, notes and links, and the export copies some
// of them into the pages as markup (a slide name goes unescaped into the
// overview's table of contents, a click action's address unescaped into an
// attribute). The page is read once, front to back, by the rules a
// browser's tokenizer follows, and written out again in a plain form of its
// own: the elements the export writes, with the attributes it writes, every
// value in double quotes. A tag of any other element, or one carrying an
// event handler, is turned into text (its "<" escaped), so the reader still
// sees what the deck said. Addresses and styles are read with their
// character references decoded as a browser decodes them (of any length),
// checked, and written back encoded, so a browser reads exactly what was
// checked: an address with a scheme other than the plain ones (javascript:,
// vbscript:, data: and the like) is removed from its tag, and so is a style
// that loads anything but a file relative to the page. The pages need no
// script, and a policy that forbids any comes first in each page as a
// second wall, with a viewport and pictures that shrink to a narrow screen
// (a wide one shows the page as the export laid it out). The cost is linear
// in the page's size.
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
    // its head. Text outside tags stays as it was (the export writes its
    // text escaped), so any ASCII-compatible encoding passes through.
    // Links whose address (before any "#" or "?") is one of deadLinks lose
    // their address: they named files that are not published.
    static QByteArray clean(const QByteArray& html, const QSet<QByteArray>& deadLinks = {});

    // Whether an address may stay a link: relative, or with the scheme
    // http, https, ftp or mailto, once character references, blanks and
    // controls are read as a browser reads them.
    static bool isSafeAddress(const QByteArray& value);
    // The value with its character references decoded as a browser decodes
    // them in an attribute (UTF-8).
    static QByteArray decodeReferences(const QByteArray& value);
};
