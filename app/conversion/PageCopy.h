#pragma once

#include <QString>

// A deck's page made from the page of another deck with the same bytes,
// without an office: the files are the same, the names and the links
// between them are the new page's own, byte for byte the page converting
// the deck itself would publish. It goes through the same publishing step
// as an export (staging, completeness check, source note, swap), but is
// not cleaned again: it was cleaned when the first deck's page was.
class PageCopy {
public:
    // Both pages lie below outputRoot and are reached from it without
    // links; the new page's note names its deck as noteName. Raises
    // ReportableError when the page cannot be made; any earlier page at
    // outputPath then stays as it was.
    static void publish(const QString& outputRoot, const QString& fromPage,
                        const QString& outputPath, const QString& sourcePath,
                        const QString& noteName);
};
