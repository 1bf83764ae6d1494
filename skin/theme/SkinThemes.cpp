#include "skin/theme/SkinThemes.h"

#include "component/PropertyByName.h"
#include "skin/draw/PngResource.h"
#include "skin/draw/SkinPainting.h"
#include "skin/theme/SkinFormInterface.h"
#include "skin/theme/SkinImagePart.h"
#include "skin/theme/SkinStyleList.h"
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
    const SkinStyle* record = SkinStyleList::Find(style);
    if (!record || !IsKey(key)) {
        kind = TskThemeValueKind::tvInt;
        return -1;
    }
    kind = ThemeKeyKinds[key - 1];
    return record->value(key);
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
    const SkinStyle* record = SkinStyleList::Find(style);
    return record ? QLatin1String(record->prefix) : QString();
}

QString GetBuiltinImageName(TskUIStyle style, TskThemeKey key) {
    const SkinStyle* record = SkinStyleList::Find(style);
    const SkinImagePart* part = SkinImagePart::ForKey(key);
    if (!record || !part)
        return QString();
    if (!(record->images.*part->size).isEmpty())
        return record->imageName(part->name);
    return part->shared ? QLatin1String(part->shared) : QString();
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
    QImage image =
        PngResource::read(QStringLiteral(":/skin/") + resourceName + QStringLiteral(".png"));
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

bool IsSkinForm(const QObject* object) {
    return SkinFormInterface::cast(object) != nullptr;
}

TskUIStyle GetOwnerFormUIStyle(const QObject* owner) {
    const auto* form = qobject_cast<const QWidget*>(owner);
    if (!form || !form->isWindow())
        return TskUIStyle::DeepBlue;
    for (const QObject* child : form->children()) {
        if (const SkinFormInterface* skinForm = SkinFormInterface::cast(child))
            return skinForm->UIStyle();
    }
    return TskUIStyle::DeepBlue;
}

bool SkinGetBitmap(const TskFileTheme* fileTheme, TskUIStyle uiStyle, TskThemeKey key,
                   QImage* bitmap, int frameCount, int frameIndex) {
    if (!bitmap)
        return true;
    TskUIStyle effective;
    if (UsingFileTheme(fileTheme, uiStyle, effective)) {
        if (frameCount > 0)
            return fileTheme->GetBitmap(key, *bitmap, frameCount, frameIndex);
        return fileTheme->GetBitmap(key, *bitmap);
    }
    GetBuiltinBitmap(effective, key, bitmap, frameCount, frameIndex);
    return true;
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
