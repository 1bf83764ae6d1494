#include "GalleryPage.h"

#include <algorithm>

namespace {
std::vector<GalleryPage::Entry>& registry() {
    static std::vector<GalleryPage::Entry> pages;
    return pages;
}
} // namespace

GalleryPage::GalleryPage(const char* name, int order, Render render) {
    auto& pages = registry();
    pages.push_back({name, order, std::move(render)});
    std::stable_sort(pages.begin(), pages.end(),
                     [](const Entry& a, const Entry& b) { return a.order < b.order; });
}

const std::vector<GalleryPage::Entry>& GalleryPage::all() { return registry(); }
