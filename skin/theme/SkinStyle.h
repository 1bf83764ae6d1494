#pragma once

// One built-in style as data: its name, its theme values, the sizes of its
// compiled-in images and the traits that set it apart. The records of the
// built-in styles are in SkinStyleList.cpp; everything that needs "the
// styles" walks that list instead of naming them.

#include "skin/theme/SkinThemes.h"

#include <QtGlobal>

// A radius of exactly this many pixels on a one-pixel frame is the glass
// frame: its rounded top corners get the two quarter arcs. The BlueGlass
// style has it, and so does any theme that sets FormRoundCornerInt to it.
constexpr int GlassArcsRoundCorner = 11;

struct SkinStyle {
    // A value every record states: a record that leaves one out does not
    // compile, where a forgotten number in a table would have read as zero.
    template <typename T> struct Required {
        constexpr Required(T v) : value(v) {}
        constexpr operator T() const { return value; }
        T value;
    };

    struct Size {
        int width = 0;
        int height = 0;
        constexpr bool isEmpty() const { return width <= 0 || height <= 0; }
    };

    // The sizes of the style's compiled-in images "<PREFIX>_<PART>"; an empty
    // size means the style has no image of its own for that part.
    struct Images {
        Size button{};            // BUTTON
        Size checkBox{};          // CHECKBOX
        Size radioButton{};       // RADIOBUTTON
        Size titleButton{};       // TITLEBTN
        Size titleLeft{};         // TITLE_LEFT
        Size titleClient{};       // TITLE_CLIENT
        Size titleRight{};        // TITLE_RIGHT
        Size progressBar{};       // PROGRESSBAR
        Size trackBarBar{};       // TRACKBAR_BAR
        Size trackBarSlider{};    // TRACKBAR_SLIDER
        Size trackBarSliderV{};   // TRACKBAR_SLIDER_V
        Size scrollBarButton{};   // SCROLLBAR_BUTTON
        Size scrollBarTrack{};    // SCROLLBAR_TRACK
        Size checkList{};         // CHECKLIST
        Size scrollButton{};      // SCROLLBUTTON; without it the shared MORE_ strip
        Size tab{};               // TAB
        Size tabLine{};           // TAB_LINE
        Size sideChannelHandle{}; // SIDECHENNEL_HANDLE
        Size sideChannelBar{};    // SIDECHENNEL_BAR
        Size formBackground{};    // FORM_BACKGROUND, the pattern a form is tiled with
        Size menuBar{};           // MENU_BAR
        Size menuSelect{};        // MENU_SELECT
        Size comboBoxButton{};    // COMBOBOX_BUTTON
    };

    TskUIStyle style;   // its fixed ordinal
    const char* name;   // as layouts store it: "BlueGlass"
    const char* prefix; // of its resource names: "BLUEGLASS"

    // The built-in theme values, one per non-image key; colours 0x00BBGGRR.
    Required<bool> buttonTransparent;
    Required<bool> titleBarButtonTransparent;
    Required<int> titleBarButtonLeftOffset;
    Required<int> titleBarButtonRightOffset;
    Required<int> titleBarButtonTop;
    Required<int> formMinWidth;
    Required<int> formRoundCorner;
    Required<qint32> formBackgroundColor;
    Required<qint32> formBorderColor;
    Required<int> formBorderWidth;
    Required<qint32> menuSelectedBorderColor;
    Required<qint32> menuSelectedBackgroundColor;
    Required<qint32> menuSelectedFontColor;
    Required<qint32> menuBackgroundColor;
    Required<qint32> menuFontColor;
    Required<qint32> menuBarColor;
    Required<qint32> controlBorderColor;
    Required<qint32> controlBackgroundColor;
    Required<qint32> controlFontColor;
    Required<qint32> scrollBarBackgroundColor;
    Required<qint32> toolBarButtonBorderColor;
    Required<qint32> toolBarButtonBackgroundColor;
    Required<qint32> toolBarButtonDownBackgroundColor;
    Required<qint32> titleBarFontColor;
    Required<int> formBottomRoundCorner;
    Required<qint32> menuMenuBarColor;

    Images images;

    // Traits.
    // A focused push button shows its caption in bold instead of a focus rectangle.
    bool boldFocusCaption = false;
    // Forms are tiled with the style's FORM_BACKGROUND pattern instead of
    // being filled with the form colour.
    bool patternBackground = false;
    // Menus and the menu bar are drawn from the MENU_BAR and MENU_SELECT
    // images, with fixed item and separator heights.
    bool menusFromImages = false;

    // The built-in value of a non-image key; 0 for image keys and keys
    // outside 1..48.
    qint32 value(TskThemeKey key) const;
    // "<PREFIX>_<part>".
    QString imageName(const char* part) const;
};
