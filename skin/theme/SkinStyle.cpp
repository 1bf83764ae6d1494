#include "skin/theme/SkinStyle.h"

namespace {

using IntField = SkinStyle::Required<int> SkinStyle::*;
using BoolField = SkinStyle::Required<bool> SkinStyle::*;

// The record field holding each key's value; null for image keys.
constexpr IntField intField(TskThemeKey key) {
    switch (key) {
    case ThemeKey::TitleBarButtonLeftOffsetInt:
        return &SkinStyle::titleBarButtonLeftOffset;
    case ThemeKey::TitleBarButtonRightOffsetInt:
        return &SkinStyle::titleBarButtonRightOffset;
    case ThemeKey::TitleBarButtonTopInt:
        return &SkinStyle::titleBarButtonTop;
    case ThemeKey::FormMinWidthInt:
        return &SkinStyle::formMinWidth;
    case ThemeKey::FormRoundCornerInt:
        return &SkinStyle::formRoundCorner;
    case ThemeKey::FormBackgroundColor:
        return &SkinStyle::formBackgroundColor;
    case ThemeKey::FormBorderColor:
        return &SkinStyle::formBorderColor;
    case ThemeKey::FormBorderWidthInt:
        return &SkinStyle::formBorderWidth;
    case ThemeKey::MenuSelectedBorderColor:
        return &SkinStyle::menuSelectedBorderColor;
    case ThemeKey::MenuSelectedBackgroundColor:
        return &SkinStyle::menuSelectedBackgroundColor;
    case ThemeKey::MenuSelectedFontColor:
        return &SkinStyle::menuSelectedFontColor;
    case ThemeKey::MenuBackgroundColor:
        return &SkinStyle::menuBackgroundColor;
    case ThemeKey::MenuFontColor:
        return &SkinStyle::menuFontColor;
    case ThemeKey::MenuBarColor:
        return &SkinStyle::menuBarColor;
    case ThemeKey::ControlBorderColor:
        return &SkinStyle::controlBorderColor;
    case ThemeKey::ControlBackgroundColor:
        return &SkinStyle::controlBackgroundColor;
    case ThemeKey::ControlFontColor:
        return &SkinStyle::controlFontColor;
    case ThemeKey::ScrollBarBackgroundColor:
        return &SkinStyle::scrollBarBackgroundColor;
    case ThemeKey::ToolBarButtonBorderColor:
        return &SkinStyle::toolBarButtonBorderColor;
    case ThemeKey::ToolBarButtonBackgroundColor:
        return &SkinStyle::toolBarButtonBackgroundColor;
    case ThemeKey::ToolBarButtonDownBackgroundColor:
        return &SkinStyle::toolBarButtonDownBackgroundColor;
    case ThemeKey::TitleBarFontColor:
        return &SkinStyle::titleBarFontColor;
    case ThemeKey::FormBottomRoundCornerInt:
        return &SkinStyle::formBottomRoundCorner;
    case ThemeKey::MenuMenuBarColor:
        return &SkinStyle::menuMenuBarColor;
    default:
        return nullptr;
    }
}

constexpr BoolField boolField(TskThemeKey key) {
    switch (key) {
    case ThemeKey::ButtonTransparentBool:
        return &SkinStyle::buttonTransparent;
    case ThemeKey::TitleBarButtonTransparentBool:
        return &SkinStyle::titleBarButtonTransparent;
    default:
        return nullptr;
    }
}

// Every key that is no image has a field of the matching type, and no image
// key has one.
constexpr bool everyValueKeyHasItsField() {
    for (TskThemeKey key = ThemeKey::First; key <= ThemeKey::Last; ++key) {
        const TskThemeValueKind kind = ThemeKeyKinds[key - 1];
        const bool isBool = kind == TskThemeValueKind::tvBool;
        const bool isImage = kind == TskThemeValueKind::tvImage;
        if ((boolField(key) != nullptr) != isBool)
            return false;
        if ((intField(key) != nullptr) != (!isBool && !isImage))
            return false;
    }
    return true;
}
static_assert(everyValueKeyHasItsField());

} // namespace

qint32 SkinStyle::value(TskThemeKey key) const {
    if (const IntField field = intField(key))
        return this->*field;
    if (const BoolField field = boolField(key))
        return (this->*field) ? 1 : 0;
    return 0;
}

QString SkinStyle::imageName(const char* part) const {
    return QLatin1String(prefix) + QLatin1Char('_') + QLatin1String(part);
}
