#pragma once

// The vocabulary every skinned component draws from: the style ordinals, the
// 48 theme keys and the look-ups that turn a (style, key) pair into an image
// or a value. The styles themselves are records (SkinStyle, SkinStyleList).

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QtGlobal>
#include <array>
#include <functional>

class QObject;
class TskFileTheme;

namespace DeckvaneSkin {
Q_NAMESPACE

// Stored in layouts by name and compared by number, so the ordinals are fixed.
enum class TskUIStyle : quint8 {
    FromThemeFile = 0,
    MacOS = 1,
    WinXP = 2,
    DeepBlue = 3,
    Protein = 4,
    BlueGlass = 5,
};
Q_ENUM_NS(TskUIStyle)

enum class TskThemeValueKind : quint8 { tvInt = 0, tvColor = 1, tvImage = 2, tvBool = 3 };
Q_ENUM_NS(TskThemeValueKind)

} // namespace DeckvaneSkin

using DeckvaneSkin::TskThemeValueKind;
using DeckvaneSkin::TskUIStyle;

// MacOS..BlueGlass; each has its record in SkinStyleList.
constexpr int BuiltinStyleCount = 5;

// A key is an index 1..48 into ThemeKeyNames.
using TskThemeKey = int;

namespace ThemeKey {
constexpr TskThemeKey ButtonImage = 1;
constexpr TskThemeKey ButtonTransparentBool = 2;
constexpr TskThemeKey CheckBoxImage = 3;
constexpr TskThemeKey RadioButtonImage = 4;
constexpr TskThemeKey TitleBarButtonImage = 5;
constexpr TskThemeKey TitleBarButtonTransparentBool = 6;
constexpr TskThemeKey TitleBarButtonLeftOffsetInt = 7;
constexpr TskThemeKey TitleBarButtonRightOffsetInt = 8;
constexpr TskThemeKey TitleBarButtonTopInt = 9;
constexpr TskThemeKey TitleBarLeftImage = 10;
constexpr TskThemeKey TitleBarClientImage = 11;
constexpr TskThemeKey TitleBarRightImage = 12;
constexpr TskThemeKey FormMinWidthInt = 13;
constexpr TskThemeKey FormRoundCornerInt = 14;
constexpr TskThemeKey FormBackgroundColor = 15;
constexpr TskThemeKey FormBorderColor = 16;
constexpr TskThemeKey FormBorderWidthInt = 17;
constexpr TskThemeKey MenuSelectedBorderColor = 18;
constexpr TskThemeKey MenuSelectedBackgroundColor = 19;
constexpr TskThemeKey MenuSelectedFontColor = 20;
constexpr TskThemeKey MenuBackgroundColor = 21;
constexpr TskThemeKey MenuFontColor = 22;
constexpr TskThemeKey MenuBarColor = 23;
constexpr TskThemeKey ProgressBarImage = 24;
constexpr TskThemeKey ControlBorderColor = 25;
constexpr TskThemeKey ControlBackgroundColor = 26;
constexpr TskThemeKey ControlFontColor = 27;
constexpr TskThemeKey TrackBarBarImage = 28;
constexpr TskThemeKey TrackBarSliderImage = 29;
constexpr TskThemeKey TrackBarSliderVImage = 30;
constexpr TskThemeKey ScrollBarBackgroundColor = 31;
constexpr TskThemeKey ScrollBarButtonImage = 32;
constexpr TskThemeKey ScrollBarSliderImage = 33;
constexpr TskThemeKey CheckListBoxImage = 34;
constexpr TskThemeKey ToolBarButtonBorderColor = 35;
constexpr TskThemeKey ToolBarButtonBackgroundColor = 36;
constexpr TskThemeKey ToolBarButtonDownBackgroundColor = 37;
constexpr TskThemeKey ScrollButtonImage = 38;
constexpr TskThemeKey TabControlTabImage = 39;
constexpr TskThemeKey TabControlBarImage = 40;
constexpr TskThemeKey SideChannelHandleImage = 41;
constexpr TskThemeKey SideChannelBarImage = 42;
constexpr TskThemeKey TitleBarMinimizedImage = 43;
constexpr TskThemeKey TitleBarFontColor = 44;
constexpr TskThemeKey FormLeftBorderImage = 45;
constexpr TskThemeKey FormBottomBorderImage = 46;
constexpr TskThemeKey FormBottomRoundCornerInt = 47;
constexpr TskThemeKey MenuMenuBarColor = 48;
constexpr TskThemeKey First = 1;
constexpr TskThemeKey Last = 48;
} // namespace ThemeKey

constexpr int ThemeKeyCount = 48;

// A theme file's ControlFontColor of 0x10000 * N (N = 1..5) is read as a
// marker of the family the theme belongs to, not only as a colour: where the
// theme leaves the menu bar colour or the caption colour out, and for the
// menu bar's text, the marker decides.
constexpr qint32 ThemeFamilyMarker(int family) {
    return family * 0x10000;
}

// The entry names of theme files; ThemeKeyNames[key - 1].
extern const char* const ThemeKeyNames[ThemeKeyCount];
// The fixed kind of every key; ThemeKeyKinds[key - 1].
inline constexpr std::array<TskThemeValueKind, ThemeKeyCount> ThemeKeyKinds = [] {
    using enum TskThemeValueKind;
    // clang-format off
    return std::array<TskThemeValueKind, ThemeKeyCount>{
        tvImage, tvBool, tvImage, tvImage, tvImage, tvBool, //  1..6
        tvInt, tvInt, tvInt, tvImage, tvImage, tvImage, //  7..12
        tvInt, tvInt, tvColor, tvColor, tvInt, tvColor, // 13..18
        tvColor, tvColor, tvColor, tvColor, tvColor, tvImage, // 19..24
        tvColor, tvColor, tvColor, tvImage, tvImage, tvImage, // 25..30
        tvColor, tvImage, tvImage, tvImage, tvColor, tvColor, // 31..36
        tvColor, tvImage, tvImage, tvImage, tvImage, tvImage, // 37..42
        tvImage, tvColor, tvImage, tvImage, tvInt, tvColor, // 43..48
    };
    // clang-format on
}();

// The key whose name equals Name without regard to case, or 0.
TskThemeKey ThemeKeyFromName(const QString& name);
// The key's kind; tvInt for a key outside 1..48.
TskThemeValueKind ThemeKeyKind(TskThemeKey key);

// The built-in value of (Style, Key). A style with a record gives the value
// and the key's kind (0 for image keys: their resource name comes from
// GetBuiltinImageName); any other style gives -1 and tvInt. Only the low 7
// bits of the style count. Keys outside 1..48 give -1 and tvInt.
qint32 GetBuiltinThemeValue(TskUIStyle style, TskThemeKey key, TskThemeValueKind& kind);
qint32 GetBuiltinThemeValue(TskUIStyle style, TskThemeKey key);

// The value when the key is a colour key, else 0.
qint32 GetBuiltinColor(TskUIStyle style, TskThemeKey key);
// The value when the reported kind is tvInt, else -1.
qint32 GetBuiltinInt(TskUIStyle style, TskThemeKey key);
// The value (non-zero = true) when the key is a Boolean key, else false.
bool GetBuiltinBool(TskUIStyle style, TskThemeKey key);

// The bitmap resource behind an image key in a built-in style ("WINXP_BUTTON",
// or the shared "MORE_SCROLLBUTTON" for a style without a strip of its own);
// empty for other kinds, other styles and keys 43, 45, 46.
QString GetBuiltinImageName(TskUIStyle style, TskThemeKey key);
// A compiled-in bitmap by resource name; a null image when there is none.
QImage LoadBuiltinImage(const QString& resourceName);

// Loads the key's whole image into Bitmap; leaves Bitmap as it was when
// Bitmap is null, the key is not an image key or the style has no image for it.
void LoadBuiltinBitmap(TskUIStyle style, TskThemeKey key, QImage* bitmap);
// FrameCount 0: the whole image as LoadBuiltinBitmap. FrameCount > 0: frame
// FrameIndex (1-based) of the strip, or a 0x0 image when there is none.
void GetBuiltinBitmap(TskUIStyle style, TskThemeKey key, QImage* bitmap, int frameCount = 0,
                      int frameIndex = 1);

// True when the component is to ask its file theme (UIStyle FromThemeFile and
// a loaded theme). EffectiveStyle is the built-in style to use otherwise:
// UIStyle itself, or DeepBlue in place of FromThemeFile.
bool UsingFileTheme(const TskFileTheme* fileTheme, TskUIStyle uiStyle, TskUIStyle& effectiveStyle);

// The style a new skinned component starts with: the UIStyle of the first
// TskForm among the children of Owner when Owner is a window, else DeepBlue.
TskUIStyle GetOwnerFormUIStyle(const QObject* owner);

// Resolution in one call, as every component does it: the file theme when
// UsingFileTheme says so, the built-in table of the effective style otherwise.
// SkinGetBitmap answers false when getting the image failed with an error
// (the theme holds the key's image, but it cannot be read); a key without an
// image is no error.
bool SkinGetBitmap(const TskFileTheme* fileTheme, TskUIStyle uiStyle, TskThemeKey key,
                   QImage* bitmap, int frameCount = 0, int frameIndex = 1);
qint32 SkinGetColor(const TskFileTheme* fileTheme, TskUIStyle uiStyle, TskThemeKey key);
qint32 SkinGetInt(const TskFileTheme* fileTheme, TskUIStyle uiStyle, TskThemeKey key);
bool SkinGetBool(const TskFileTheme* fileTheme, TskUIStyle uiStyle, TskThemeKey key);

// Points Slot at Theme for User, dropping the previous theme's connections to
// User. A theme can be destroyed while components still refer to it: then
// Slot is cleared and OnGone runs, so the component falls back to a style of
// its own rather than drawing from a dead theme.
void WatchFileTheme(QObject* user, QPointer<TskFileTheme>& slot, TskFileTheme* theme,
                    std::function<void()> onGone);

// For each direct child widget of Container that publishes both FileTheme and
// UIStyle: FileTheme := fileTheme, then UIStyle := uiStyle, through the
// properties so each control's own setters run.
void ContainerApplyUIStyle(QObject* container, TskUIStyle uiStyle, TskFileTheme* fileTheme);

// Whether the object is a skinned form (implements SkinFormInterface).
bool IsSkinForm(const QObject* object);

// The style prefix of built-in resource names ("MACOS"...); empty otherwise.
QString BuiltinStylePrefix(TskUIStyle style);
