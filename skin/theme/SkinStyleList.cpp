#include "skin/theme/SkinStyleList.h"

#include <iterator>

namespace {

// clang-format off
constexpr SkinStyle BuiltinStyles[] = {
    {
        .style = TskUIStyle::MacOS,
        .name = "MacOS",
        .prefix = "MACOS",
        .buttonTransparent = true,
        .titleBarButtonTransparent = false,
        .titleBarButtonLeftOffset = 3,
        .titleBarButtonRightOffset = -2,
        .titleBarButtonTop = 4,
        .formMinWidth = 130,
        .formRoundCorner = 0,
        .formBackgroundColor = 0xE7E7E7,
        .formBorderColor = 0x7F7F7F,
        .formBorderWidth = 1,
        .menuSelectedBorderColor = 0xC47339,
        .menuSelectedBackgroundColor = 0xC47339,
        .menuSelectedFontColor = 0xFFFFFF,
        .menuBackgroundColor = 0x000000,
        .menuFontColor = 0x000000,
        .menuBarColor = 0x000000,
        .controlBorderColor = 0x7F7F7F,
        .controlBackgroundColor = 0xE7E7E7,
        .controlFontColor = 0x000000,
        .scrollBarBackgroundColor = 0xC9C9C9,
        .toolBarButtonBorderColor = 0x474747,
        .toolBarButtonBackgroundColor = 0xEFEFEF,
        .toolBarButtonDownBackgroundColor = 0xD8D8D8,
        .titleBarFontColor = 0x000000,
        .formBottomRoundCorner = 0,
        .menuMenuBarColor = 0xE7E7E7,
        .images = {
            .button = {252, 23}, .checkBox = {60, 17}, .radioButton = {64, 17},
            .titleButton = {306, 17}, .titleLeft = {48, 23}, .titleClient = {49, 23},
            .titleRight = {48, 23}, .progressBar = {13, 10}, .trackBarBar = {45, 5},
            .trackBarSlider = {11, 20}, .trackBarSliderV = {19, 11}, .scrollBarButton = {96, 22},
            .scrollBarTrack = {33, 16}, .checkList = {40, 11}, .scrollButton = {72, 18},
            .tab = {36, 27}, .tabLine = {17, 7}, .sideChannelHandle = {7, 84},
            .sideChannelBar = {1, 21}, .formBackground = {8, 8}, .menuBar = {1, 22},
            .menuSelect = {1, 21}, .comboBoxButton = {16, 17},
        },
        .boldFocusCaption = true,
        .patternBackground = true,
        .menusFromImages = true,
    },
    {
        .style = TskUIStyle::WinXP,
        .name = "WinXP",
        .prefix = "WINXP",
        .buttonTransparent = false,
        .titleBarButtonTransparent = false,
        .titleBarButtonLeftOffset = 2,
        .titleBarButtonRightOffset = -2,
        .titleBarButtonTop = 5,
        .formMinWidth = 150,
        .formRoundCorner = 13,
        .formBackgroundColor = 0xDEEBEF,
        .formBorderColor = 0xC82C00,
        .formBorderWidth = 3,
        .menuSelectedBorderColor = 0xC66931,
        .menuSelectedBackgroundColor = 0xEFD3C6,
        .menuSelectedFontColor = 0x000000,
        .menuBackgroundColor = 0xFFFFFF,
        .menuFontColor = 0x000000,
        .menuBarColor = 0xCED3D6,
        .controlBorderColor = 0x686868,
        .controlBackgroundColor = 0xDEEBEF,
        .controlFontColor = 0xCF4602,
        .scrollBarBackgroundColor = 0xF9F9F9,
        .toolBarButtonBorderColor = 0xC66931,
        .toolBarButtonBackgroundColor = 0xEFD3C6,
        .toolBarButtonDownBackgroundColor = 0xE1AC93,
        .titleBarFontColor = 0xFFFFFF,
        .formBottomRoundCorner = 0,
        .menuMenuBarColor = 0xDEEBEF,
        .images = {
            .button = {54, 21}, .checkBox = {52, 13}, .radioButton = {52, 13},
            .titleButton = {378, 21}, .titleLeft = {35, 29}, .titleClient = {37, 29},
            .titleRight = {35, 29}, .progressBar = {6, 10}, .trackBarBar = {45, 8},
            .trackBarSlider = {11, 21}, .trackBarSliderV = {22, 11}, .scrollBarButton = {96, 17},
            .scrollBarTrack = {21, 16}, .checkList = {44, 11}, .scrollButton = {72, 18},
            .tab = {18, 18}, .tabLine = {8, 1}, .sideChannelHandle = {8, 86},
            .sideChannelBar = {1, 21}, .comboBoxButton = {16, 18},
        },
    },
    {
        .style = TskUIStyle::DeepBlue,
        .name = "DeepBlue",
        .prefix = "DEEPBLUE",
        .buttonTransparent = false,
        .titleBarButtonTransparent = false,
        .titleBarButtonLeftOffset = 0,
        .titleBarButtonRightOffset = 0,
        .titleBarButtonTop = 2,
        .formMinWidth = 130,
        .formRoundCorner = 0,
        .formBackgroundColor = 0xE8E8E8,
        .formBorderColor = 0x000000,
        .formBorderWidth = 1,
        .menuSelectedBorderColor = 0xA04A44,
        .menuSelectedBackgroundColor = 0xA04A44,
        .menuSelectedFontColor = 0xFFFFFF,
        .menuBackgroundColor = 0xFFFFFF,
        .menuFontColor = 0x000000,
        .menuBarColor = 0xCED3D6,
        .controlBorderColor = 0x000000,
        .controlBackgroundColor = 0xE8E8E8,
        .controlFontColor = 0x000000,
        .scrollBarBackgroundColor = 0xF5F5F5,
        .toolBarButtonBorderColor = 0x474747,
        .toolBarButtonBackgroundColor = 0xEFEFEF,
        .toolBarButtonDownBackgroundColor = 0xD8D8D8,
        .titleBarFontColor = 0xFFFFFF,
        .formBottomRoundCorner = 0,
        .menuMenuBarColor = 0xE8E8E8,
        .images = {
            .button = {222, 21}, .checkBox = {52, 13}, .radioButton = {52, 13},
            .titleButton = {342, 19}, .titleLeft = {97, 32}, .titleClient = {98, 32},
            .titleRight = {97, 32}, .progressBar = {1, 10}, .trackBarBar = {45, 4},
            .trackBarSlider = {11, 20}, .trackBarSliderV = {18, 11}, .scrollBarButton = {96, 16},
            .scrollBarTrack = {21, 16}, .checkList = {44, 11}, .tab = {12, 17},
            .tabLine = {5, 5}, .sideChannelHandle = {8, 83}, .sideChannelBar = {1, 20},
        },
    },
    {
        .style = TskUIStyle::Protein,
        .name = "Protein",
        .prefix = "PROTEIN",
        .buttonTransparent = false,
        .titleBarButtonTransparent = true,
        .titleBarButtonLeftOffset = 0,
        .titleBarButtonRightOffset = 0,
        .titleBarButtonTop = 2,
        .formMinWidth = 130,
        .formRoundCorner = 0,
        .formBackgroundColor = 0xFBFBFB,
        .formBorderColor = 0x000000,
        .formBorderWidth = 1,
        .menuSelectedBorderColor = 0xC4302D,
        .menuSelectedBackgroundColor = 0xC4302D,
        .menuSelectedFontColor = 0xFFFFFF,
        .menuBackgroundColor = 0xFFFFFF,
        .menuFontColor = 0x000000,
        .menuBarColor = 0xCED3D6,
        .controlBorderColor = 0x000000,
        .controlBackgroundColor = 0xFBFBFB,
        .controlFontColor = 0x000000,
        .scrollBarBackgroundColor = 0xF5F5F5,
        .toolBarButtonBorderColor = 0x474747,
        .toolBarButtonBackgroundColor = 0xEFEFEF,
        .toolBarButtonDownBackgroundColor = 0xD8D8D8,
        .titleBarFontColor = 0xFFFFFF,
        .formBottomRoundCorner = 0,
        .menuMenuBarColor = 0xFBFBFB,
        .images = {
            .button = {222, 21}, .checkBox = {52, 13}, .radioButton = {52, 13},
            .titleButton = {342, 19}, .titleLeft = {441, 23}, .titleClient = {1, 23},
            .titleRight = {1, 23}, .progressBar = {1, 10}, .trackBarBar = {45, 4},
            .trackBarSlider = {11, 20}, .trackBarSliderV = {18, 11}, .scrollBarButton = {96, 16},
            .scrollBarTrack = {21, 16}, .checkList = {44, 11}, .tab = {18, 17},
            .tabLine = {10, 5}, .sideChannelHandle = {8, 83}, .sideChannelBar = {1, 21},
            .formBackground = {8, 8},
        },
        .patternBackground = true,
    },
    {
        .style = TskUIStyle::BlueGlass,
        .name = "BlueGlass",
        .prefix = "BLUEGLASS",
        .buttonTransparent = true,
        .titleBarButtonTransparent = true,
        .titleBarButtonLeftOffset = 4,
        .titleBarButtonRightOffset = -3,
        .titleBarButtonTop = 6,
        .formMinWidth = 270,
        .formRoundCorner = GlassArcsRoundCorner,
        .formBackgroundColor = 0xE7E7E7,
        .formBorderColor = 0x000000,
        .formBorderWidth = 1,
        .menuSelectedBorderColor = 0xEC5E5E,
        .menuSelectedBackgroundColor = 0xEC5E5E,
        .menuSelectedFontColor = 0xFFFFFF,
        .menuBackgroundColor = 0xE7E7E7,
        .menuFontColor = 0x000000,
        .menuBarColor = 0xCED3D6,
        .controlBorderColor = 0x000000,
        .controlBackgroundColor = 0xE7E7E7,
        .controlFontColor = 0x000000,
        .scrollBarBackgroundColor = 0xF4F4F4,
        .toolBarButtonBorderColor = 0x474747,
        .toolBarButtonBackgroundColor = 0xEFEFEF,
        .toolBarButtonDownBackgroundColor = 0xD8D8D8,
        .titleBarFontColor = 0xFFFFFF,
        .formBottomRoundCorner = 0,
        .menuMenuBarColor = 0xE7E7E7,
        .images = {
            .button = {231, 27}, .checkBox = {52, 13}, .radioButton = {52, 13},
            .titleButton = {342, 19}, .titleLeft = {162, 33}, .titleClient = {179, 33},
            .titleRight = {101, 33}, .progressBar = {1, 10}, .trackBarBar = {45, 4},
            .trackBarSlider = {11, 20}, .trackBarSliderV = {18, 11}, .scrollBarButton = {102, 16},
            .scrollBarTrack = {21, 16}, .checkList = {44, 11}, .tab = {18, 17},
            .tabLine = {10, 5}, .sideChannelHandle = {8, 86}, .sideChannelBar = {1, 21},
        },
        .boldFocusCaption = true,
    },
};
// clang-format on

// One record per built-in style, in ordinal order, and traits that draw on
// images only where the style has those images.
constexpr bool builtinRecordsAreWhole() {
    if (std::size(BuiltinStyles) != BuiltinStyleCount)
        return false;
    for (int i = 0; i < BuiltinStyleCount; ++i) {
        const SkinStyle& s = BuiltinStyles[i];
        if (int(s.style) != i + 1 || !s.name || !s.prefix)
            return false;
        if (s.patternBackground == s.images.formBackground.isEmpty())
            return false;
        if (s.menusFromImages && (s.images.menuBar.isEmpty() || s.images.menuSelect.isEmpty()))
            return false;
    }
    return true;
}
static_assert(builtinRecordsAreWhole());

struct State {
    std::vector<SkinStyle> styles{std::begin(BuiltinStyles), std::end(BuiltinStyles)};
    int generation = 0;
};

State& state() {
    static State list;
    return list;
}

int ordinalOf(TskUIStyle style) {
    return static_cast<quint8>(style) & 0x7F;
}

} // namespace

const std::vector<SkinStyle>& SkinStyleList::All() {
    return state().styles;
}

const SkinStyle* SkinStyleList::Find(TskUIStyle style) {
    const int ordinal = ordinalOf(style);
    for (const SkinStyle& record : state().styles) {
        if (int(record.style) == ordinal)
            return &record;
    }
    return nullptr;
}

bool SkinStyleList::Has(TskUIStyle style, bool SkinStyle::*trait) {
    const SkinStyle* record = Find(style);
    return record && record->*trait;
}

bool SkinStyleList::Add(const SkinStyle& style) {
    const int ordinal = static_cast<quint8>(style.style);
    if (ordinal == 0 || ordinal > 0x7F || Find(style.style))
        return false;
    state().styles.push_back(style);
    ++state().generation;
    return true;
}

void SkinStyleList::Remove(TskUIStyle style) {
    auto& styles = state().styles;
    for (auto it = styles.begin() + BuiltinStyleCount; it != styles.end(); ++it) {
        if (it->style == style) {
            styles.erase(it);
            ++state().generation;
            return;
        }
    }
}

int SkinStyleList::Generation() {
    return state().generation;
}
