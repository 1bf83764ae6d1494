#pragma once

#include <QString>
#include <QStringList>

// The arguments of deckvane-batch:
//   deckvane-batch [--masks TEXT] [--out DIR] [--list] FOLDER
// with the window's defaults for masks and output folder.
class BatchCommandLine {
public:
    QString masks;
    QString outputFolder;
    QString folder;
    bool help = false;
    bool listOnly = false; // --list: print the matching files, convert nothing
    QString error;         // set when the arguments are unusable

    static BatchCommandLine parse(const QStringList& arguments, const QString& homeFolder);
    static QString usage();
};
