#pragma once

#include <QString>

class TskThemeFileWriter;

// Builds a theme file from a folder: theme.txt holds Name=Value lines
// (colours as #RRGGBB, sys:N for system colour N, or a plain number; integers
// in decimal; Booleans true, false or 0..255; names that are no theme key
// become text entries; '#' starts a comment line), and NAME.bmp files supply
// the image keys. False with a one-line message on any error.
bool PackThemeFolder(const QString& dir, const QString& outFile, QString* error);
// The same into a writer, without saving.
bool ReadThemeFolder(const QString& dir, TskThemeFileWriter& writer, QString* error);
