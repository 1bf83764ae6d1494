#pragma once

#include "skin/controls/TCustomControl.h"
#include "skin/theme/SkinThemeUser.h"
#include "skin/theme/SkinThemes.h"
#include "skin/theme/TskFileTheme.h"

#include <QPointer>

// A skinned control that draws in one of the built-in styles or from a file
// theme: it keeps the UIStyle / FileTheme pair every skinned component keeps,
// starts in its owner form's style, and falls back to DeepBlue when its theme
// goes away.
class TskStyledControl : public TCustomControl, public SkinThemeUser {
    Q_OBJECT
    Q_INTERFACES(SkinThemeUser)

public:
    explicit TskStyledControl(QWidget* parent = nullptr);

    TskUIStyle UIStyle() const { return m_style; }
    // Stores the style, runs UIStyleChanged, repaints.
    void SetUIStyle(TskUIStyle style);
    TskFileTheme* FileTheme() const override { return m_theme; }
    // Stores the reference, then writes UIStyle again so the style change
    // re-reads the skin.
    void SetFileTheme(TskFileTheme* theme) override;

    // The form the control belongs to, as the starting style reads it.
    static QWidget* OwnerForm(QWidget* parent);

protected:
    virtual void UIStyleChanged() {}
    // One frame of an image strip in the current style or theme; Read (when
    // given) says whether it could be had without an error (a theme's
    // picture that cannot be read is one; a key without a picture is not).
    QImage SkinFrame(TskThemeKey key, int frameCount, int frameIndex, bool* read = nullptr) const;

private:
    TskUIStyle m_style;
    QPointer<TskFileTheme> m_theme;
};
