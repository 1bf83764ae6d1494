#include "skin/theme/SkinImageCatalog.h"

namespace {

struct PartSizes {
    const char* part;
    int frames;
    int size[5][2]; // MacOS, WinXP, DeepBlue, Protein, BlueGlass; 0x0 = none
};

// Frame counts of images this program does not draw are the natural cut of
// their strips, so the review sheet shows them frame by frame.
constexpr PartSizes Parts[] = {
    {"BUTTON", 3, {{252, 23}, {54, 21}, {222, 21}, {222, 21}, {231, 27}}},
    {"CHECKBOX", 4, {{60, 17}, {52, 13}, {52, 13}, {52, 13}, {52, 13}}},
    {"RADIOBUTTON", 4, {{64, 17}, {52, 13}, {52, 13}, {52, 13}, {52, 13}}},
    {"TITLEBTN", 18, {{306, 17}, {378, 21}, {342, 19}, {342, 19}, {342, 19}}},
    {"TITLE_LEFT", 1, {{48, 23}, {35, 29}, {97, 32}, {441, 23}, {162, 33}}},
    {"TITLE_CLIENT", 1, {{49, 23}, {37, 29}, {98, 32}, {1, 23}, {179, 33}}},
    {"TITLE_RIGHT", 1, {{48, 23}, {35, 29}, {97, 32}, {1, 23}, {101, 33}}},
    {"PROGRESSBAR", 1, {{13, 10}, {6, 10}, {1, 10}, {1, 10}, {1, 10}}},
    {"TRACKBAR_BAR", 1, {{45, 5}, {45, 8}, {45, 4}, {45, 4}, {45, 4}}},
    {"TRACKBAR_SLIDER", 1, {{11, 20}, {11, 21}, {11, 20}, {11, 20}, {11, 20}}},
    {"TRACKBAR_SLIDER_V", 1, {{19, 11}, {22, 11}, {18, 11}, {18, 11}, {18, 11}}},
    {"SCROLLBAR_BUTTON", 6, {{96, 22}, {96, 17}, {96, 16}, {96, 16}, {102, 16}}},
    {"SCROLLBAR_TRACK", 3, {{33, 16}, {21, 16}, {21, 16}, {21, 16}, {21, 16}}},
    {"CHECKLIST", 4, {{40, 11}, {44, 11}, {44, 11}, {44, 11}, {44, 11}}},
    {"SCROLLBUTTON", 4, {{72, 18}, {72, 18}, {0, 0}, {0, 0}, {0, 0}}},
    {"TAB", 3, {{36, 27}, {18, 18}, {12, 17}, {18, 17}, {18, 17}}},
    {"TAB_LINE", 1, {{17, 7}, {8, 1}, {5, 5}, {10, 5}, {10, 5}}},
    {"SIDECHENNEL_HANDLE", 1, {{7, 84}, {8, 86}, {8, 83}, {8, 83}, {8, 86}}},
    {"SIDECHENNEL_BAR", 1, {{1, 21}, {1, 21}, {1, 20}, {1, 21}, {1, 21}}},
    {"FORM_BACKGROUND", 1, {{8, 8}, {0, 0}, {0, 0}, {8, 8}, {0, 0}}},
    {"MENU_BAR", 1, {{1, 22}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}},
    {"MENU_SELECT", 1, {{1, 21}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}},
    {"COMBOBOX_BUTTON", 1, {{16, 17}, {16, 18}, {0, 0}, {0, 0}, {0, 0}}},
};

const char* const Styles[5] = {"MACOS", "WINXP", "DEEPBLUE", "PROTEIN", "BLUEGLASS"};

std::vector<TskBuiltinImageInfo> buildCatalog() {
    std::vector<TskBuiltinImageInfo> list;
    for (int s = 0; s < 5; ++s) {
        for (const PartSizes& p : Parts) {
            const int w = p.size[s][0], h = p.size[s][1];
            if (w == 0)
                continue;
            const QString style = QLatin1String(Styles[s]);
            const QString part = QLatin1String(p.part);
            list.push_back({style + QLatin1Char('_') + part, style, part, w, h, p.frames});
        }
    }
    list.push_back({QStringLiteral("MORE_SCROLLBUTTON"), QString(), QStringLiteral("SCROLLBUTTON"),
                    72, 17, 4});
    list.push_back(
        {QStringLiteral("MENU_CHECKED"), QString(), QStringLiteral("MENU_CHECKED"), 16, 16, 1});
    return list;
}

} // namespace

const std::vector<TskBuiltinImageInfo>& BuiltinImageCatalog() {
    static const std::vector<TskBuiltinImageInfo> catalog = buildCatalog();
    return catalog;
}

const TskBuiltinImageInfo* FindBuiltinImage(const QString& name) {
    for (const TskBuiltinImageInfo& info : BuiltinImageCatalog()) {
        if (info.name == name)
            return &info;
    }
    return nullptr;
}
