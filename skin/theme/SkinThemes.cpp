#include "skin/theme/SkinThemes.h"

#include "skin/draw/SkinPublic.h"
#include "skin/theme/TskFileTheme.h"

#include <QHash>
#include <QMetaProperty>
#include <QMutex>
#include <QPointer>
#include <QVariant>
#include <QWidget>

const char* const ThemeKeyNames[ThemeKeyCount] = {
    "ButtonImage",
    "ButtonTransparentBool",
    "CheckBoxImage",
    "RadioButtonImage",
    "TitleBarButtonImage",
    "TitleBarButtonTransparentBool",
    "TitleBarButtonLeftOffsetInt",
    "TitleBarButtonRightOffsetInt",
    "TitleBarButtonTopInt",
    "TitleBarLeftImage",
    "TitleBarClientImage",
    "TitleBarRightImage",
    "FormMinWidthInt",
    "FormRoundCornerInt",
    "FormBackgroundColor",
    "FormBorderColor",
    "FormBorderWidthInt",
    "MenuSelectedBorderColor",
    "MenuSelectedBackgroundColor",
    "MenuSelectedFontColor",
    "MenuBackgroundColor",
    "MenuFontColor",
    "MenuBarColor",
    "ProgressBarImage",
    "ControlBorderColor",
    "ControlBackgroundColor",
    "ControlFontColor",
    "TrackBarBarImage",
    "TrackBarSliderImage",
    "TrackBarSliderVImage",
    "ScrollBarBackgroundColor",
    "ScrollBarButtonImage",
    "ScrollBarSliderImage",
    "CheckListBoxImage",
    "ToolBarButtonBorderColor",
    "ToolBarButtonBackgroundColor",
    "ToolBarButtonDownBackgroundColor",
    "ScrollButtonImage",
    "TabControlTabImage",
    "TabControlBarImage",
    "SideChannelHandleImage",
    "SideChannelBarImage",
    "TitleBarMinimizedImage",
    "TitleBarFontColor",
    "FormLeftBorderImage",
    "FormBottomBorderImage",
    "FormBottomRoundCornerInt",
    "MenuMenuBarColor",
};

namespace {

constexpr auto I = TskThemeValueKind::tvInt;
constexpr auto C = TskThemeValueKind::tvColor;
constexpr auto G = TskThemeValueKind::tvImage;
constexpr auto B = TskThemeValueKind::tvBool;

} // namespace

const TskThemeValueKind ThemeKeyKinds[ThemeKeyCount] = {
    G, B, G, G, G, B, I, I, I, G, //  1..10
    G, G, I, I, C, C, I, C, C, C, // 11..20
    C, C, C, G, C, C, C, G, G, G, // 21..30
    C, G, G, G, C, C, C, G, G, G, // 31..40
    G, G, G, C, G, G, I, C,       // 41..48
};

namespace {

constexpr int StyleCount = 5;

// Colours below are written 0x00BBGGRR; image keys hold 0 here and take their
// resource name from BuiltinImageSuffixes.
// clang-format off
constexpr qint32 BuiltinValues[StyleCount][ThemeKeyCount] = {
    // MacOS
    {0, 1, 0, 0, 0, 0, 3, -2, 4, 0,
     0, 0, 130, 0, 0xE7E7E7, 0x7F7F7F, 1, 0xC47339, 0xC47339, 0xFFFFFF,
     0x000000, 0x000000, 0x000000, 0, 0x7F7F7F, 0xE7E7E7, 0x000000, 0, 0, 0,
     0xC9C9C9, 0, 0, 0, 0x474747, 0xEFEFEF, 0xD8D8D8, 0, 0, 0,
     0, 0, 0, 0x000000, 0, 0, 0, 0xE7E7E7},
    // WinXP
    {0, 0, 0, 0, 0, 0, 2, -2, 5, 0,
     0, 0, 150, 13, 0xDEEBEF, 0xC82C00, 3, 0xC66931, 0xEFD3C6, 0x000000,
     0xFFFFFF, 0x000000, 0xCED3D6, 0, 0x686868, 0xDEEBEF, 0xCF4602, 0, 0, 0,
     0xF9F9F9, 0, 0, 0, 0xC66931, 0xEFD3C6, 0xE1AC93, 0, 0, 0,
     0, 0, 0, 0xFFFFFF, 0, 0, 0, 0xDEEBEF},
    // DeepBlue
    {0, 0, 0, 0, 0, 0, 0, 0, 2, 0,
     0, 0, 130, 0, 0xE8E8E8, 0x000000, 1, 0xA04A44, 0xA04A44, 0xFFFFFF,
     0xFFFFFF, 0x000000, 0xCED3D6, 0, 0x000000, 0xE8E8E8, 0x000000, 0, 0, 0,
     0xF5F5F5, 0, 0, 0, 0x474747, 0xEFEFEF, 0xD8D8D8, 0, 0, 0,
     0, 0, 0, 0xFFFFFF, 0, 0, 0, 0xE8E8E8},
    // Protein
    {0, 0, 0, 0, 0, 1, 0, 0, 2, 0,
     0, 0, 130, 0, 0xFBFBFB, 0x000000, 1, 0xC4302D, 0xC4302D, 0xFFFFFF,
     0xFFFFFF, 0x000000, 0xCED3D6, 0, 0x000000, 0xFBFBFB, 0x000000, 0, 0, 0,
     0xF5F5F5, 0, 0, 0, 0x474747, 0xEFEFEF, 0xD8D8D8, 0, 0, 0,
     0, 0, 0, 0xFFFFFF, 0, 0, 0, 0xFBFBFB},
    // BlueGlass
    {0, 1, 0, 0, 0, 1, 4, -3, 6, 0,
     0, 0, 270, 11, 0xE7E7E7, 0x000000, 1, 0xEC5E5E, 0xEC5E5E, 0xFFFFFF,
     0xE7E7E7, 0x000000, 0xCED3D6, 0, 0x000000, 0xE7E7E7, 0x000000, 0, 0, 0,
     0xF4F4F4, 0, 0, 0, 0x474747, 0xEFEFEF, 0xD8D8D8, 0, 0, 0,
     0, 0, 0, 0xFFFFFF, 0, 0, 0, 0xE7E7E7},
};
// clang-format on

const char* const StylePrefixes[StyleCount] = {"MACOS", "WINXP", "DEEPBLUE", "PROTEIN",
                                               "BLUEGLASS"};

// Resource suffix of each image key; null for keys that are no images or that
// have no built-in image.
const char* BuiltinImageSuffix(TskThemeKey key) {
    switch (key) {
    case ThemeKey::ButtonImage:
        return "BUTTON";
    case ThemeKey::CheckBoxImage:
        return "CHECKBOX";
    case ThemeKey::RadioButtonImage:
        return "RADIOBUTTON";
    case ThemeKey::TitleBarButtonImage:
        return "TITLEBTN";
    case ThemeKey::TitleBarLeftImage:
        return "TITLE_LEFT";
    case ThemeKey::TitleBarClientImage:
        return "TITLE_CLIENT";
    case ThemeKey::TitleBarRightImage:
        return "TITLE_RIGHT";
    case ThemeKey::ProgressBarImage:
        return "PROGRESSBAR";
    case ThemeKey::TrackBarBarImage:
        return "TRACKBAR_BAR";
    case ThemeKey::TrackBarSliderImage:
        return "TRACKBAR_SLIDER";
    case ThemeKey::TrackBarSliderVImage:
        return "TRACKBAR_SLIDER_V";
    case ThemeKey::ScrollBarButtonImage:
        return "SCROLLBAR_BUTTON";
    case ThemeKey::ScrollBarSliderImage:
        return "SCROLLBAR_TRACK";
    case ThemeKey::CheckListBoxImage:
        return "CHECKLIST";
    case ThemeKey::ScrollButtonImage:
        return "SCROLLBUTTON";
    case ThemeKey::TabControlTabImage:
        return "TAB";
    case ThemeKey::TabControlBarImage:
        return "TAB_LINE";
    case ThemeKey::SideChannelHandleImage:
        return "SIDECHENNEL_HANDLE";
    case ThemeKey::SideChannelBarImage:
        return "SIDECHENNEL_BAR";
    default:
        return nullptr;
    }
}

// Row 0..4 of a built-in style, or -1; only the low 7 bits of a style count.
int StyleRow(TskUIStyle style) {
    const int ordinal = static_cast<quint8>(style) & 0x7F;
    return ordinal >= 1 && ordinal <= StyleCount ? ordinal - 1 : -1;
}

bool IsKey(TskThemeKey key) {
    return key >= ThemeKey::First && key <= ThemeKey::Last;
}

} // namespace

TskThemeKey ThemeKeyFromName(const QString& name) {
    for (int i = 0; i < ThemeKeyCount; ++i) {
        if (name.compare(QLatin1String(ThemeKeyNames[i]), Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return 0;
}

TskThemeValueKind ThemeKeyKind(TskThemeKey key) {
    return IsKey(key) ? ThemeKeyKinds[key - 1] : TskThemeValueKind::tvInt;
}

qint32 GetBuiltinThemeValue(TskUIStyle style, TskThemeKey key, TskThemeValueKind& kind) {
    const int row = StyleRow(style);
    if (row < 0 || !IsKey(key)) {
        kind = TskThemeValueKind::tvInt;
        return -1;
    }
    kind = ThemeKeyKinds[key - 1];
    return BuiltinValues[row][key - 1];
}

qint32 GetBuiltinThemeValue(TskUIStyle style, TskThemeKey key) {
    TskThemeValueKind kind;
    return GetBuiltinThemeValue(style, key, kind);
}

qint32 GetBuiltinColor(TskUIStyle style, TskThemeKey key) {
    TskThemeValueKind kind;
    const qint32 value = GetBuiltinThemeValue(style, key, kind);
    return kind == TskThemeValueKind::tvColor ? value : 0;
}

qint32 GetBuiltinInt(TskUIStyle style, TskThemeKey key) {
    TskThemeValueKind kind;
    const qint32 value = GetBuiltinThemeValue(style, key, kind);
    return kind == TskThemeValueKind::tvInt ? value : -1;
}

bool GetBuiltinBool(TskUIStyle style, TskThemeKey key) {
    TskThemeValueKind kind;
    const qint32 value = GetBuiltinThemeValue(style, key, kind);
    return kind == TskThemeValueKind::tvBool && value != 0;
}

QString BuiltinStylePrefix(TskUIStyle style) {
    const int row = StyleRow(style);
    return row < 0 ? QString() : QLatin1String(StylePrefixes[row]);
}

QString GetBuiltinImageName(TskUIStyle style, TskThemeKey key) {
    const int row = StyleRow(style);
    const char* suffix = BuiltinImageSuffix(key);
    if (row < 0 || !suffix)
        return QString();
    // DeepBlue, Protein and BlueGlass share one scroll-button strip.
    if (key == ThemeKey::ScrollButtonImage && row >= 2)
        return QStringLiteral("MORE_SCROLLBUTTON");
    return QLatin1String(StylePrefixes[row]) + QLatin1Char('_') + QLatin1String(suffix);
}

QImage LoadBuiltinImage(const QString& resourceName) {
    if (resourceName.isEmpty())
        return QImage();
    // Components ask on every paint; the compiled-in images never change, so
    // each is decoded once and then shared.
    static QMutex mutex;
    static QHash<QString, QImage> decoded;
    const QMutexLocker lock(&mutex);
    const auto known = decoded.constFind(resourceName);
    if (known != decoded.constEnd())
        return *known;
    QImage image(QStringLiteral(":/skin/") + resourceName + QStringLiteral(".png"));
    // One pixel format everywhere keeps frame cutting and key-colour masks simple.
    if (!image.isNull())
        image = image.convertToFormat(QImage::Format_RGB32);
    decoded.insert(resourceName, image);
    return image;
}

void LoadBuiltinBitmap(TskUIStyle style, TskThemeKey key, QImage* bitmap) {
    if (!bitmap)
        return;
    QImage image = LoadBuiltinImage(GetBuiltinImageName(style, key));
    if (!image.isNull())
        *bitmap = image;
}

void GetBuiltinBitmap(TskUIStyle style, TskThemeKey key, QImage* bitmap, int frameCount,
                      int frameIndex) {
    if (!bitmap)
        return;
    if (frameCount <= 0) {
        LoadBuiltinBitmap(style, key, bitmap);
        return;
    }
    QImage strip;
    LoadBuiltinBitmap(style, key, &strip);
    ExtractFrame(strip, *bitmap, frameCount, frameIndex);
}

bool UsingFileTheme(const TskFileTheme* fileTheme, TskUIStyle uiStyle, TskUIStyle& effectiveStyle) {
    effectiveStyle = uiStyle;
    if (uiStyle != TskUIStyle::FromThemeFile)
        return false;
    if (fileTheme && fileTheme->IsThemeLoaded())
        return true;
    effectiveStyle = TskUIStyle::DeepBlue;
    return false;
}

QByteArray UnqualifiedClassName(const QMetaObject* meta) {
    if (!meta)
        return QByteArray();
    const QByteArray name(meta->className());
    const qsizetype cut = name.lastIndexOf("::");
    return cut < 0 ? name : name.mid(cut + 2);
}

bool IsSkinForm(const QObject* object) {
    if (!object)
        return false;
    for (const QMetaObject* meta = object->metaObject(); meta; meta = meta->superClass()) {
        if (UnqualifiedClassName(meta) == "TskForm")
            return true;
    }
    return false;
}

TskUIStyle GetOwnerFormUIStyle(const QObject* owner) {
    const auto* form = qobject_cast<const QWidget*>(owner);
    if (!form || !form->isWindow())
        return TskUIStyle::DeepBlue;
    for (const QObject* child : form->children()) {
        if (IsSkinForm(child)) {
            const QVariant style = child->property("UIStyle");
            if (style.canConvert<TskUIStyle>())
                return style.value<TskUIStyle>();
            return TskUIStyle::DeepBlue;
        }
    }
    return TskUIStyle::DeepBlue;
}

void SkinGetBitmap(const TskFileTheme* fileTheme, TskUIStyle uiStyle, TskThemeKey key,
                   QImage* bitmap, int frameCount, int frameIndex) {
    if (!bitmap)
        return;
    TskUIStyle effective;
    if (UsingFileTheme(fileTheme, uiStyle, effective)) {
        if (frameCount > 0)
            fileTheme->GetBitmap(key, *bitmap, frameCount, frameIndex);
        else
            fileTheme->GetBitmap(key, *bitmap);
        return;
    }
    GetBuiltinBitmap(effective, key, bitmap, frameCount, frameIndex);
}

qint32 SkinGetColor(const TskFileTheme* fileTheme, TskUIStyle uiStyle, TskThemeKey key) {
    TskUIStyle effective;
    if (UsingFileTheme(fileTheme, uiStyle, effective))
        return fileTheme->GetColor(key);
    return GetBuiltinColor(effective, key);
}

qint32 SkinGetInt(const TskFileTheme* fileTheme, TskUIStyle uiStyle, TskThemeKey key) {
    TskUIStyle effective;
    if (UsingFileTheme(fileTheme, uiStyle, effective))
        return fileTheme->GetInt(key);
    return GetBuiltinInt(effective, key);
}

bool SkinGetBool(const TskFileTheme* fileTheme, TskUIStyle uiStyle, TskThemeKey key) {
    TskUIStyle effective;
    if (UsingFileTheme(fileTheme, uiStyle, effective))
        return fileTheme->GetBool(key);
    return GetBuiltinBool(effective, key);
}

void WatchFileTheme(QObject* user, QPointer<TskFileTheme>& slot, TskFileTheme* theme,
                    std::function<void()> onGone) {
    if (slot)
        QObject::disconnect(slot, nullptr, user, nullptr);
    slot = theme;
    if (theme) {
        QObject::connect(theme, &QObject::destroyed, user, [&slot, onGone = std::move(onGone)] {
            slot = nullptr;
            onGone();
        });
    }
}

void ContainerApplyUIStyle(QObject* container, TskUIStyle uiStyle, TskFileTheme* fileTheme) {
    if (!container)
        return;
    // Guarded copy: a setter may add or remove children while we walk.
    QList<QPointer<QObject>> children;
    for (QObject* child : container->children())
        children.append(child);
    for (const QPointer<QObject>& child : children) {
        if (!child || !child->isWidgetType())
            continue;
        if (!HasProperty(child, "FileTheme") || !HasProperty(child, "UIStyle"))
            continue;
        SetPropertyByName(child, "FileTheme", QVariant::fromValue(fileTheme));
        SetPropertyByName(child, "UIStyle", QVariant::fromValue(uiStyle));
    }
}
