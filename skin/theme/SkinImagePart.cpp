#include "skin/theme/SkinImagePart.h"

namespace {

using Images = SkinStyle::Images;

constexpr SkinImagePart Parts[] = {
    {"BUTTON", 3, &Images::button, ThemeKey::ButtonImage, nullptr, {}},
    {"CHECKBOX", 4, &Images::checkBox, ThemeKey::CheckBoxImage, nullptr, {}},
    {"RADIOBUTTON", 4, &Images::radioButton, ThemeKey::RadioButtonImage, nullptr, {}},
    {"TITLEBTN", 18, &Images::titleButton, ThemeKey::TitleBarButtonImage, nullptr, {}},
    {"TITLE_LEFT", 1, &Images::titleLeft, ThemeKey::TitleBarLeftImage, nullptr, {}},
    {"TITLE_CLIENT", 1, &Images::titleClient, ThemeKey::TitleBarClientImage, nullptr, {}},
    {"TITLE_RIGHT", 1, &Images::titleRight, ThemeKey::TitleBarRightImage, nullptr, {}},
    {"PROGRESSBAR", 1, &Images::progressBar, ThemeKey::ProgressBarImage, nullptr, {}},
    {"TRACKBAR_BAR", 1, &Images::trackBarBar, ThemeKey::TrackBarBarImage, nullptr, {}},
    {"TRACKBAR_SLIDER", 1, &Images::trackBarSlider, ThemeKey::TrackBarSliderImage, nullptr, {}},
    {"TRACKBAR_SLIDER_V", 1, &Images::trackBarSliderV, ThemeKey::TrackBarSliderVImage, nullptr, {}},
    {"SCROLLBAR_BUTTON", 6, &Images::scrollBarButton, ThemeKey::ScrollBarButtonImage, nullptr, {}},
    {"SCROLLBAR_TRACK", 3, &Images::scrollBarTrack, ThemeKey::ScrollBarSliderImage, nullptr, {}},
    {"CHECKLIST", 4, &Images::checkList, ThemeKey::CheckListBoxImage, nullptr, {}},
    // Styles without a scroll-button strip of their own share one.
    {"SCROLLBUTTON",
     4,
     &Images::scrollButton,
     ThemeKey::ScrollButtonImage,
     "MORE_SCROLLBUTTON",
     {72, 17}},
    {"TAB", 3, &Images::tab, ThemeKey::TabControlTabImage, nullptr, {}},
    {"TAB_LINE", 1, &Images::tabLine, ThemeKey::TabControlBarImage, nullptr, {}},
    {"SIDECHENNEL_HANDLE",
     1,
     &Images::sideChannelHandle,
     ThemeKey::SideChannelHandleImage,
     nullptr,
     {}},
    {"SIDECHENNEL_BAR", 1, &Images::sideChannelBar, ThemeKey::SideChannelBarImage, nullptr, {}},
    {"FORM_BACKGROUND", 1, &Images::formBackground, 0, nullptr, {}},
    {"MENU_BAR", 1, &Images::menuBar, 0, nullptr, {}},
    {"MENU_SELECT", 1, &Images::menuSelect, 0, nullptr, {}},
    {"COMBOBOX_BUTTON", 1, &Images::comboBoxButton, 0, nullptr, {}},
    // The check mark of menu items, the same in every style.
    {"MENU_CHECKED", 1, nullptr, 0, "MENU_CHECKED", {16, 16}},
};

// Every size field of a record has its part.
constexpr int partsWithSize() {
    int count = 0;
    for (const SkinImagePart& part : Parts)
        count += part.size != nullptr;
    return count;
}
static_assert(partsWithSize() * sizeof(SkinStyle::Size) == sizeof(SkinStyle::Images));

} // namespace

std::span<const SkinImagePart> SkinImagePart::All() {
    return Parts;
}

const SkinImagePart* SkinImagePart::ForKey(TskThemeKey key) {
    if (key == 0)
        return nullptr;
    for (const SkinImagePart& part : Parts) {
        if (part.key == key)
            return &part;
    }
    return nullptr;
}
