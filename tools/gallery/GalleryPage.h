#pragma once

#include <QString>
#include <functional>
#include <vector>

// One group of pictures the skin gallery renders. Each group registers itself
// from its own source file with a static GalleryPage object, so new groups
// are added without touching the others.
class GalleryPage {
public:
    // Renders into `outDir`; returns false (after saying why on stderr) on failure.
    using Render = std::function<bool(const QString& outDir)>;

    GalleryPage(const char* name, int order, Render render);

    struct Entry {
        const char* name;
        int order;
        Render render;
    };
    static const std::vector<Entry>& all();
};
