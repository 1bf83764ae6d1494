#include "skin/theme/TskFileTheme.h"

#include "component/ComponentState.h"
#include "component/PropertyByName.h"
#include "platform/InstallLayout.h"
#include "skin/draw/SkinPainting.h"
#include "skin/theme/SkinFormInterface.h"
#include "skin/theme/SkinThemeFile.h"
#include "skin/theme/SkinThemeUser.h"
#include "skin/theme/TskFileThemeMgr.h"
#include "skin/theme/TskSkinError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

namespace {

QString withSlash(const QString& dir) {
    if (dir.isEmpty() || dir.endsWith(QLatin1Char('/')))
        return dir;
    return dir + QLatin1Char('/');
}

// The file-name part of a path written with either kind of separator.
QString fileNamePart(const QString& value) {
    const qsizetype cut =
        qMax(value.lastIndexOf(QLatin1Char('/')), value.lastIndexOf(QLatin1Char('\\')));
    return value.mid(cut + 1);
}

} // namespace

TskFileTheme::TskFileTheme(QObject* owner)
    : QObject(owner), m_mgr(std::make_unique<TskFileThemeMgr>()) {}

TskFileTheme::~TskFileTheme() = default;

QString TskFileTheme::ProgramDirSlash() {
    return withSlash(QCoreApplication::applicationDirPath());
}

QString TskFileTheme::UserThemeDirSlash() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return withSlash(base) + QStringLiteral("deckvane/themes/");
}

QString TskFileTheme::InstalledThemeDirSlash() {
    return InstallLayout::dataDirSlash() + QStringLiteral("themes/");
}

bool TskFileTheme::IsValidThemeFile(const QString& fileName) {
    return ::IsValidThemeFile(fileName);
}

QString TskFileTheme::resolvePath(const QString& value) const {
    if (value.isEmpty())
        return QString();
    // Found as given: kept as given, so setting the same text again is the
    // same path and reloads nothing.
    if (QFileInfo(value).isFile())
        return value;
    const QString name = fileNamePart(value);
    if (name.isEmpty())
        return QString();
    for (const QString& dir : {ProgramDirSlash(), UserThemeDirSlash(), InstalledThemeDirSlash()}) {
        const QString candidate = dir + name;
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return QString();
}

void TskFileTheme::SetThemeFile(const QString& value) {
    const bool wasEmpty = m_themeFile.isEmpty();
    if (value == m_themeFile)
        return;
    const QString path = resolvePath(value);
    if (path.isEmpty())
        return;
    if (!IsValidThemeFile(path))
        throw TskSkinError(QStringLiteral("Invalid skin file for Deckvane!"));
    m_themeFile = path;
    try {
        m_themeLoaded = m_mgr->LoadFile(path);
    } catch (const TskSkinError&) {
        // The previous file is gone and this one could not be read: the
        // theme counts as not loaded, and whoever draws from it goes back
        // to the fallback style rather than keep half of either file.
        m_themeLoaded = false;
        reassignUsers(false);
        throw;
    }
    if (m_themeLoaded)
        reassignUsers(!wasEmpty);
}

void TskFileTheme::reassignUsers(bool hadFileBefore) {
    auto* form = qobject_cast<QWidget*>(parent());
    if (!form || !form->isWindow())
        return;
    QObject* skinForm = nullptr;
    // Guard every component: a setter may delete others while we walk.
    // The form's own components only: a part another component made for
    // itself (a skinned form's title bar) follows that component.
    QList<QPointer<QObject>> components;
    for (QObject* c : form->findChildren<QObject*>())
        if (ComponentState::ownedBy(c, form))
            components.append(c);
    for (const QPointer<QObject>& comp : components) {
        SkinThemeUser* user = comp ? SkinThemeUser::cast(comp) : nullptr;
        if (!user || user->FileTheme() != this)
            continue;
        if (IsSkinForm(comp) && !skinForm)
            skinForm = comp;
        user->SetFileTheme(this);
    }
    if (skinForm && hadFileBefore) {
        emit frameRefreshRequested(skinForm);
        SkinFormInterface::cast(skinForm)->RefreshFrame();
    }
}

bool TskFileTheme::GetBitmap(TskThemeKey key, QImage& graphic) const {
    return m_mgr->GetBitmap(key, graphic);
}

bool TskFileTheme::GetBitmap(TskThemeKey key, QImage& graphic, int frameCount,
                             int frameIndex) const {
    QImage strip;
    const bool read = m_mgr->GetBitmap(key, strip);
    ExtractFrame(strip, graphic, frameCount, frameIndex);
    return read;
}

bool TskFileTheme::GetBool(TskThemeKey key) const {
    return m_mgr->GetBool(key);
}
qint32 TskFileTheme::GetColor(TskThemeKey key) const {
    return m_mgr->GetColor(key);
}
qint32 TskFileTheme::GetInt(TskThemeKey key) const {
    return ClampThemeInt(key, m_mgr->GetInt(key));
}

qint32 TskFileTheme::ClampThemeInt(TskThemeKey key, qint32 value) {
    // Integers feed geometry (sizes, offsets, corners, minimum widths): a
    // theme can't make a window millions of pixels wide or overflow the
    // arithmetic on them. -1 (the key is missing) keeps its meaning.
    if (ThemeKeyKind(key) != TskThemeValueKind::tvInt || value == -1)
        return value;
    return qBound(-kThemeIntLimit, value, kThemeIntLimit);
}
