#pragma once

// Small components that keep the skinned-component contract, standing in for
// the real skinned controls in the theme and propagation tests.

#include "skin/theme/SkinFormInterface.h"
#include "skin/theme/SkinThemeUser.h"
#include "skin/theme/SkinThemes.h"
#include "skin/theme/TskFileTheme.h"

#include <QPointer>
#include <QWidget>

namespace skintest {

// Publishes UIStyle and FileTheme like every skinned control: setting the
// theme re-applies the style; a destroyed theme turns it to DeepBlue.
class TskTestButton : public QWidget, public SkinThemeUser {
    Q_OBJECT
    Q_INTERFACES(SkinThemeUser)
    Q_PROPERTY(TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)

public:
    explicit TskTestButton(QWidget* parent = nullptr)
        : QWidget(parent), m_style(GetOwnerFormUIStyle(parent)) {}

    TskUIStyle UIStyle() const { return m_style; }
    void SetUIStyle(TskUIStyle style) {
        m_style = style;
        ++applyCount;
        borderColor = SkinGetColor(m_theme, m_style, ThemeKey::FormBorderColor);
    }
    TskFileTheme* FileTheme() const override { return m_theme; }
    void SetFileTheme(TskFileTheme* theme) override {
        if (m_theme)
            disconnect(m_theme, nullptr, this, nullptr);
        m_theme = theme;
        if (theme)
            connect(theme, &QObject::destroyed, this, [this] {
                m_theme = nullptr;
                SetUIStyle(TskUIStyle::DeepBlue);
            });
        SetUIStyle(m_style);
    }

    int applyCount = 0;
    qint32 borderColor = 0;

private:
    TskUIStyle m_style;
    QPointer<TskFileTheme> m_theme;
};

// Stands in for the skinned form: found by its interface.
class TskForm : public QObject, public SkinFormInterface, public SkinThemeUser {
    Q_OBJECT
    Q_INTERFACES(SkinFormInterface SkinThemeUser)
    Q_PROPERTY(TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)

public:
    explicit TskForm(QObject* parent = nullptr) : QObject(parent) {}
    TskUIStyle UIStyle() const override { return m_style; }
    void SetUIStyle(TskUIStyle style) { m_style = style; }
    TskFileTheme* FileTheme() const override { return m_theme; }
    void SetFileTheme(TskFileTheme* theme) override { m_theme = theme; }
    QWidget* OwnerForm() const override { return qobject_cast<QWidget*>(parent()); }
    int GetSideBorderWidth() const override { return 0; }
    void RefreshFrame() override { ++frameRefreshes; }
    void SetMenu(QMenu*) override {}
    void UpdateMenuBar() override {}
    void UpdateMenuBarItems() override {}
    void UpdateMenuBarFont() override {}

    int frameRefreshes = 0;

private:
    TskUIStyle m_style = TskUIStyle::DeepBlue;
    QPointer<TskFileTheme> m_theme;
};

// Publishes a FileTheme property, as some other component might, without
// being a skinned component: a theme's reload never hands itself to it.
class ThemePropertyOnly : public QObject {
    Q_OBJECT
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)

public:
    explicit ThemePropertyOnly(QObject* parent = nullptr) : QObject(parent) {}
    TskFileTheme* FileTheme() const { return m_theme; }
    void SetFileTheme(TskFileTheme* theme) {
        m_theme = theme;
        ++assignments;
    }

    int assignments = 0;

private:
    QPointer<TskFileTheme> m_theme;
};

// A panel publishes neither property, so what it contains is out of reach of
// a container-wide style change.
class TskTestPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)

public:
    explicit TskTestPanel(QWidget* parent = nullptr) : QWidget(parent) {}
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value) { m_transparent = value; }

private:
    bool m_transparent = false;
};

// Publishes only a style: left alone by ContainerApplyUIStyle.
class TskStyleOnly : public QWidget {
    Q_OBJECT
    Q_PROPERTY(TskUIStyle uistyle READ UIStyle WRITE SetUIStyle)

public:
    explicit TskStyleOnly(QWidget* parent = nullptr) : QWidget(parent) {}
    TskUIStyle UIStyle() const { return m_style; }
    void SetUIStyle(TskUIStyle style) { m_style = style; }

private:
    TskUIStyle m_style = TskUIStyle::DeepBlue;
};

} // namespace skintest
