#include "skin/form/TskTitleBarButton.h"

#include "platform/MessageBoxSeam.h"
#include "skin/draw/SkinGeometry.h"
#include "skin/form/SkinMainForm.h"
#include "skin/form/TskForm.h"
#include "skin/form/TskTitleBar.h"
#include "skin/form/TskTitleBarButtons.h"
#include "skin/menus/SkinMenu.h"

TskTitleBarButton::TskTitleBarButton(TskTitleBarButtons* collection) : m_collection(collection) {
    SetUIStyle(TskUIStyle::DeepBlue);
}

TskTitleBar* TskTitleBarButton::TitleBar() const {
    return m_collection ? m_collection->TitleBar() : nullptr;
}

int TskTitleBarButton::Index() const {
    return m_collection ? m_collection->IndexOf(this) : -1;
}

void TskTitleBarButton::changed() {
    if (m_collection)
        m_collection->Update(this);
}

void TskTitleBarButton::SetVisible(bool value) {
    m_visible = value;
    changed();
}

void TskTitleBarButton::SetButtonType(TskTitleBarBtnType value) {
    if (value == skControlBox && m_collection) {
        for (int i = 0; i < m_collection->Count(); ++i) {
            if (m_collection->Items(i)->ButtonType() == skControlBox) {
                MessageBoxSeam::showRefusal(QStringLiteral(
                    "Sorry, only one button's ButtonType property can be \"skControlBox\""));
                return;
            }
        }
    }
    m_buttonType = value;
    UpdatePictures();
    changed();
}

void TskTitleBarButton::SetTransparent(bool value) {
    m_transparent = value;
    changed();
}

void TskTitleBarButton::SetTop(int value) {
    m_top = value;
    changed();
}

void TskTitleBarButton::SetUIStyle(TskUIStyle value) {
    m_uiStyle = value;
    UpdatePictures();
}

void TskTitleBarButton::SetPicNormal(const QImage& picture) {
    m_picNormal = picture;
    changed();
}

void TskTitleBarButton::SetPicMouseOn(const QImage& picture) {
    m_picMouseOn = picture;
    changed();
}

void TskTitleBarButton::SetPicMouseDown(const QImage& picture) {
    m_picMouseDown = picture;
    changed();
}

void TskTitleBarButton::Assign(const TskTitleBarButton& source) {
    SetVisible(source.Visible());
    SetButtonType(source.ButtonType());
    SetTransparent(source.Transparent());
    SetTop(source.Top());
    SetUIStyle(source.UIStyle());
    SetPicNormal(source.PicNormal());
    SetPicMouseOn(source.PicMouseOn());
    SetPicMouseDown(source.PicMouseDown());
    SetControlBoxMenu(source.ControlBoxMenu());
}

int TskTitleBarButton::FirstFrame(TskTitleBarBtnType type, bool maximized) {
    switch (type) {
    case skControlBox:
        return 1;
    case skHelp:
        return 4;
    case skMax:
        return maximized ? 10 : 7;
    case skMin:
        return 13;
    case skClose:
        return 16;
    case skCustom:
        break;
    }
    return 0;
}

void TskTitleBarButton::loadFrames(int firstFrame) {
    const TskFileTheme* theme = TitleBar() ? TitleBar()->FileTheme() : nullptr;
    QImage* pictures[] = {&m_picNormal, &m_picMouseOn, &m_picMouseDown};
    for (int i = 0; i < 3; ++i) {
        *pictures[i] = QImage();
        SkinGetBitmap(theme, m_uiStyle, ThemeKey::TitleBarButtonImage, pictures[i], kStripFrames,
                      firstFrame + i);
    }
}

void TskTitleBarButton::UpdatePictures() {
    const TskFileTheme* theme = TitleBar() ? TitleBar()->FileTheme() : nullptr;
    m_transparent = SkinGetBool(theme, m_uiStyle, ThemeKey::TitleBarButtonTransparentBool);
    if (m_buttonType == skCustom)
        return;
    loadFrames(FirstFrame(m_buttonType, false));
    m_top = SkinGetInt(theme, m_uiStyle, ThemeKey::TitleBarButtonTopInt);
    if (m_buttonType == skMax)
        UpdateMaxPictures();
}

void TskTitleBarButton::UpdateMaxPictures() {
    if (m_buttonType != skMax)
        return;
    TskTitleBar* bar = TitleBar();
    if (bar && bar->Custom())
        return;
    QWidget* form = bar ? bar->ParentForm() : nullptr;
    loadFrames(FirstFrame(skMax, form && form->isMaximized()));
}

namespace {

// Where a window that a title-bar button maximized goes back to.
constexpr const char* kNormalBounds = "_deckvane_normal_bounds";

} // namespace

void TskTitleBarButton::DoClick() {
    TskTitleBar* bar = TitleBar();
    QWidget* form = bar ? bar->ParentForm() : nullptr;
    if (!form)
        return;
    switch (m_buttonType) {
    case skMax: {
        const bool maximizing = !form->isMaximized();
        // On a skinned form the form places a maximized window itself; on
        // any other the button does: the work area widened by the frame,
        // and back to where it was (nobody else does that without a window
        // manager).
        const bool placeIt = !bar->InSkinForm();
        if (placeIt && maximizing)
            form->setProperty(kNormalBounds, form->geometry());
        TskTitleBar::ToggleMaximized(form);
        if (placeIt) {
            const QRect normal = form->property(kNormalBounds).toRect();
            const QRect target = maximizing ? TskForm::MaximizedBounds(GetWorkAreaRect()) : normal;
            if (target.isValid())
                SetWindowBounds(form, target);
        }
        UpdateMaxPictures();
        break;
    }
    case skMin:
        TskTitleBar::MinimizeForm(form);
        break;
    case skClose:
        form->close();
        break;
    case skControlBox:
        if (m_controlBoxMenu) {
            const QPoint at = TskTitleBar::ClampScreenX(
                bar->mapToGlobal(QPoint(bar->IsRightToLeft() ? 176 : 0, bar->height())));
            if (auto* skinMenu = qobject_cast<SkinMenu*>(m_controlBoxMenu.data()))
                skinMenu->Popup(at.x(), at.y());
            else
                m_controlBoxMenu->popup(at);
        }
        break;
    case skHelp:
    case skCustom:
        break;
    }
}
