#pragma once

#include "skin/theme/SkinThemes.h"

#include <QImage>
#include <QMenu>
#include <QObject>
#include <QPointer>

class TskTitleBar;
class TskTitleBarButtons;

// One window button of a title bar: its type, its three pictures cut from
// the style's title-button strip, and what it does when clicked.
class TskTitleBarButton : public QObject {
    Q_OBJECT
    Q_PROPERTY(TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TskTitleBarBtnType ButtonType READ ButtonType WRITE SetButtonType)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(QMenu* ControlBoxMenu READ ControlBoxMenu WRITE SetControlBoxMenu)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(QImage PicNormal READ PicNormal WRITE SetPicNormal)
    Q_PROPERTY(QImage PicMouseOn READ PicMouseOn WRITE SetPicMouseOn)
    Q_PROPERTY(QImage PicMouseDown READ PicMouseDown WRITE SetPicMouseDown)

public:
    enum TskTitleBarBtnType { skMax, skMin, skClose, skHelp, skControlBox, skCustom };
    Q_ENUM(TskTitleBarBtnType)

    // The title-button strip holds 18 frames, three per button type.
    static constexpr int kStripFrames = 18;

    // Created by its collection (TskTitleBarButtons::Add).
    explicit TskTitleBarButton(TskTitleBarButtons* collection);

    TskTitleBarButtons* Collection() const { return m_collection; }
    TskTitleBar* TitleBar() const;
    int Index() const;

    bool Visible() const { return m_visible; }
    void SetVisible(bool value);
    TskTitleBarBtnType ButtonType() const { return m_buttonType; }
    // Refuses a second control box in the collection with a "Sorry" box.
    void SetButtonType(TskTitleBarBtnType value);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);
    int Top() const { return m_top; }
    void SetTop(int value);
    TskUIStyle UIStyle() const { return m_uiStyle; }
    void SetUIStyle(TskUIStyle value);
    QImage PicNormal() const { return m_picNormal; }
    void SetPicNormal(const QImage& picture);
    QImage PicMouseOn() const { return m_picMouseOn; }
    void SetPicMouseOn(const QImage& picture);
    QImage PicMouseDown() const { return m_picMouseDown; }
    void SetPicMouseDown(const QImage& picture);
    QMenu* ControlBoxMenu() const { return m_controlBoxMenu; }
    void SetControlBoxMenu(QMenu* menu) { m_controlBoxMenu = menu; }

    void Assign(const TskTitleBarButton& source);

    // Transparency, pictures and Top from the style or the title bar's theme.
    void UpdatePictures();
    // A maximize button shows the restore frames while its form is maximized.
    void UpdateMaxPictures();
    // The button's action on the title bar's window.
    void DoClick();

    // The first of the three strip frames of a type (1-based): control box
    // 1, help 4, maximize 7 (10 while maximized), minimize 13, close 16;
    // 0 for custom buttons, which get no frames.
    static int FirstFrame(TskTitleBarBtnType type, bool maximized);

private:
    void loadFrames(int firstFrame);
    void changed();

    TskTitleBarButtons* m_collection;
    bool m_visible = true;
    TskTitleBarBtnType m_buttonType = skCustom;
    bool m_transparent = false;
    int m_top = 2;
    TskUIStyle m_uiStyle = TskUIStyle::DeepBlue;
    QImage m_picNormal;
    QImage m_picMouseOn;
    QImage m_picMouseDown;
    QPointer<QMenu> m_controlBoxMenu;
};

using TskTitleBarBtnType = TskTitleBarButton::TskTitleBarBtnType;
