#include "skin/form/TskTitleBarPopupMenu.h"

#include "skin/form/TskTitleBar.h"
#include "skin/form/TskTitleBarButtons.h"
#include "strings/StringTable.h"

#include <QAction>

TskTitleBarPopupMenu::TskTitleBarPopupMenu(TskTitleBar* titleBar)
    : TskPopupMenu(titleBar), m_titleBar(titleBar) {
    // Accelerators are exactly the letters marked with "&".
    SetAutoHotkeys(TMenuAutoFlag::maManual);
    m_minimize = addAction(MinimizeCaption(), this, &TskTitleBarPopupMenu::MinimizeClick);
    m_maximize = addAction(MaximizeRestoreCaption(), this, &TskTitleBarPopupMenu::MaximizeClick);
    addAction(QStringLiteral("-"));
    m_close = addAction(CloseCaption(), this, &TskTitleBarPopupMenu::CloseClick);
    HookMenuItems();
}

QString TskTitleBarPopupMenu::MinimizeCaption() {
    return StringTable::text(StringTable::kMenuMinimize);
}

QString TskTitleBarPopupMenu::MaximizeRestoreCaption() {
    return StringTable::text(StringTable::kMenuMaximizeRestore);
}

QString TskTitleBarPopupMenu::CloseCaption() {
    return StringTable::text(StringTable::kMenuClose);
}

QPoint TskTitleBarPopupMenu::PopupPoint(QPoint requested, bool rightToLeftMiddleEast) {
    if (rightToLeftMiddleEast)
        requested.rx() += 176;
    return requested;
}

bool TskTitleBarPopupMenu::hasVisibleButton(int type) const {
    if (!m_titleBar)
        return false;
    const TskTitleBarButtons* buttons = m_titleBar->Buttons();
    for (int i = 0; buttons && i < buttons->Count(); ++i) {
        const TskTitleBarButton* button = buttons->Items(i);
        if (button->Visible() && button->ButtonType() == type)
            return true;
    }
    return false;
}

void TskTitleBarPopupMenu::UpdateItemStates() {
    m_minimize->setEnabled(hasVisibleButton(TskTitleBarButton::skMin));
    m_maximize->setEnabled(hasVisibleButton(TskTitleBarButton::skMax));
    m_close->setEnabled(hasVisibleButton(TskTitleBarButton::skClose));
}

void TskTitleBarPopupMenu::Popup(int x, int y) {
    const QPoint at = PopupPoint(QPoint(x, y), m_titleBar && m_titleBar->IsRightToLeft());
    UpdateItemStates();
    TskPopupMenu::Popup(at.x(), at.y());
}

QWidget* TskTitleBarPopupMenu::form() const {
    return m_titleBar ? m_titleBar->ParentForm() : nullptr;
}

void TskTitleBarPopupMenu::MinimizeClick() {
    TskTitleBar::MinimizeForm(form());
}

void TskTitleBarPopupMenu::MaximizeClick() {
    if (!m_titleBar || !form())
        return;
    const TskTitleBarButtons* buttons = m_titleBar->Buttons();
    for (int i = 0; i < buttons->Count(); ++i) {
        TskTitleBarButton* button = buttons->Items(i);
        if (button->Visible() && button->ButtonType() == TskTitleBarButton::skMax)
            button->DoClick();
    }
}

void TskTitleBarPopupMenu::CloseClick() {
    if (QWidget* window = form())
        window->close();
}
