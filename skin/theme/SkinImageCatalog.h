#pragma once

// Every compiled-in skin image with its size and the number of frames its
// strip is cut into (1 for images used whole). The generator draws from this
// list and the review sheet lays it out.

#include <QString>
#include <vector>

struct TskBuiltinImageInfo {
    QString name;  // resource name, e.g. "WINXP_BUTTON"
    QString style; // "MACOS"... or empty for shared images
    QString part;  // "BUTTON", "TITLEBTN"...
    int width;
    int height;
    int frames;
};

const std::vector<TskBuiltinImageInfo>& BuiltinImageCatalog();
const TskBuiltinImageInfo* FindBuiltinImage(const QString& name);
