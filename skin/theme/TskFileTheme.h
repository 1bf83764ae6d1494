#pragma once

#include "skin/theme/SkinThemes.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <memory>

class QWidget;
class TskFileThemeMgr;

// Puts a theme file at the disposal of the skinned components: a component
// with UIStyle FromThemeFile and this object as its FileTheme draws from the
// file. Owned by a form (its parent), like the components that use it.
class TskFileTheme : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ThemeFile READ ThemeFile WRITE SetThemeFile)
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)

public:
    explicit TskFileTheme(QObject* owner = nullptr);
    ~TskFileTheme() override;

    QString ThemeFile() const { return m_themeFile; }
    // Resolves Value on the search path (the path itself, the program's
    // folder, the user's theme folder, the installed theme folder); a path
    // found nowhere changes nothing. Throws TskSkinError "Invalid skin file
    // for Deckvane!" for a file that is not a theme file. After a load, the
    // owner form's skinned components that use this theme are re-assigned so
    // they re-read their skin.
    void SetThemeFile(const QString& value);
    bool IsThemeLoaded() const { return m_themeLoaded; }

    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }

    static bool IsValidThemeFile(const QString& fileName);

    // Whole image; Graphic unchanged when the file has none for the key.
    // False when the file has one that cannot be read (Graphic unchanged).
    bool GetBitmap(TskThemeKey key, QImage& graphic) const;
    // Frame FrameIndex (1-based) of FrameCount; 0x0 when there is no image
    // or it cannot be read (then false).
    bool GetBitmap(TskThemeKey key, QImage& graphic, int frameCount, int frameIndex) const;
    bool GetBool(TskThemeKey key) const;
    qint32 GetColor(TskThemeKey key) const;
    // Integer keys are held to [-kThemeIntLimit, kThemeIntLimit] (-1, for a
    // missing key, stays); colours are not touched.
    qint32 GetInt(TskThemeKey key) const;
    static constexpr qint32 kThemeIntLimit = 4096;
    static qint32 ClampThemeInt(TskThemeKey key, qint32 value);

    // The folders searched after the given path, each ending in "/":
    // the running program's folder, the user's theme folder
    // ($XDG_DATA_HOME or ~/.local/share, + "/deckvane/themes/") and the
    // installed theme folder (<prefix>/share/deckvane/themes/ of the prefix
    // the running program was installed under).
    static QString ProgramDirSlash();
    static QString UserThemeDirSlash();
    static QString InstalledThemeDirSlash();

    const TskFileThemeMgr& Mgr() const { return *m_mgr; }

signals:
    // A skinned form on the owner form uses this theme and a file had been
    // loaded before: its frame is to be recomputed and repainted.
    void frameRefreshRequested(QObject* skinForm);

private:
    QString resolvePath(const QString& value) const;
    void reassignUsers(bool hadFileBefore);

    std::unique_ptr<TskFileThemeMgr> m_mgr;
    QString m_themeFile;
    bool m_themeLoaded = false;
    int m_tag = 0;
};
