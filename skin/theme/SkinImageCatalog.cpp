#include "skin/theme/SkinImageCatalog.h"

#include "skin/theme/SkinImagePart.h"
#include "skin/theme/SkinStyleList.h"

namespace {

// Style by style in list order, each style's images in part order, then the
// shared images.
std::vector<TskBuiltinImageInfo> buildCatalog() {
    std::vector<TskBuiltinImageInfo> list;
    for (const SkinStyle& style : SkinStyleList::All()) {
        for (const SkinImagePart& part : SkinImagePart::All()) {
            if (!part.size)
                continue;
            const SkinStyle::Size size = style.images.*part.size;
            if (size.isEmpty())
                continue;
            list.push_back({style.imageName(part.name), QLatin1String(style.prefix),
                            QLatin1String(part.name), size.width, size.height, part.frames});
        }
    }
    for (const SkinImagePart& part : SkinImagePart::All()) {
        if (part.shared)
            list.push_back({QLatin1String(part.shared), QString(), QLatin1String(part.name),
                            part.sharedSize.width, part.sharedSize.height, part.frames});
    }
    return list;
}

} // namespace

const std::vector<TskBuiltinImageInfo>& BuiltinImageCatalog() {
    // Rebuilt when a style is added or removed.
    static std::vector<TskBuiltinImageInfo> catalog;
    static int builtFor = -1;
    if (builtFor != SkinStyleList::Generation()) {
        catalog = buildCatalog();
        builtFor = SkinStyleList::Generation();
    }
    return catalog;
}

const TskBuiltinImageInfo* FindBuiltinImage(const QString& name) {
    for (const TskBuiltinImageInfo& info : BuiltinImageCatalog()) {
        if (info.name == name)
            return &info;
    }
    return nullptr;
}
