#pragma once

#include "app/conversion/DeckClaims.h"
#include "app/conversion/ShardSelector.h"

#include <QString>
#include <QStringList>
#include <optional>

// The arguments of deckvane-batch:
//   deckvane-batch [--masks TEXT] [--out DIR] [--list] [--jobs N] [--shard K/N]
//                  [--claim RUN] [--update] [--tree] [--index] [--title TEXT]
//                  [--follow-links] [--attach] FOLDER
// with the window's defaults for masks and output folder.
class BatchCommandLine {
public:
    static constexpr int kMaxJobs = 64;

    QString masks;
    QString outputFolder;
    QString folder;
    bool help = false;
    bool listOnly = false;        // --list: print the matching files, convert nothing
    int jobs = 0;                 // --jobs: offices at once; 0 = chosen from the machine
    ShardSelector shard;          // --shard K/N
    bool update = false;          // --update: skip decks whose page is newer
    bool tree = false;            // --tree: pages under the decks' relative folders
    bool index = false;           // --index: write index.html of the output folder
    bool followLinks = false;     // --follow-links: also links leading out of FOLDER
    bool attach = false;          // --attach: use the office the user runs, if any
    QString claimRun;             // --claim RUN: share the decks with runs of that name
    std::optional<QString> title; // --title TEXT: the archive's name; kept when not given
    QString error;                // set when the arguments are unusable

    static BatchCommandLine parse(const QStringList& arguments, const QString& homeFolder);
    // The program's arguments after its name, byte for byte (see LocalPath).
    static QStringList arguments(int argc, char** argv);
    static QString usage();
    // The comma-separated text names at least one mask that is not blank.
    static bool hasMask(const QString& masks);
};
