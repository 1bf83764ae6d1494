#pragma once

#include <QString>
#include <QStringList>

// The names the archive itself uses at the top of the output folder: the
// front page, its script and style, the search data, the index's lock, the
// claims of runs sharing a tree and the status of runs that watch it. No
// folder of a kept tree takes one of them (OutputLayout gives it one more
// "_"), in any folder, so the rule is the same wherever a folder sits; the
// index's scan never reads them as folders of pages. A name the archive
// starts to use goes into this list.
class ArchiveNames {
public:
    static constexpr char kIndexPage[] = "index.html";
    static constexpr char kScript[] = "index.js";
    static constexpr char kStyle[] = "index.css";
    static constexpr char kSearchData[] = "index-search";
    static constexpr char kIndexLock[] = ".deckvane-index.lock";
    static constexpr char kClaims[] = ".deckvane-claims";
    // The status of runs that keep the archive current (one file per host).
    static constexpr char kWatchStatus[] = ".deckvane-watch";

    static const QStringList& all();
    // One of them, or one of them with any number of "_" after it (the
    // names OutputLayout gives the folders that had them).
    static bool isReserved(const QString& name);
};
