#include "skin/form/TskTitleBarPopupMenu.h"

#include "skin/form/TskTitleBar.h"
#include "skin/form/TskTitleBarButtons.h"

#include <QAction>

namespace {
struct Captions {
    // Copies of the string-table entries 65249, 65250 and 65251.
    QString minimize = QStringLiteral("Mi&nimize");
    QString maximizeRestore = QStringLiteral("Ma&ximize/Restore");
    QString close = QStringLiteral("&Close");
};
Captions& captions() {
    static Captions texts;
    return texts;
}
} // namespace

TskTitleBarPopupMenu::TskTitleBarPopupMenu(TskTitleBar* titleBar)
    : TskPopupMenu(titleBar), m_titleBar(titleBar) {
    // Accelerators are exactly the letters marked with "&".
    m_minimize = addAction(MinimizeCaption(), this, &TskTitleBarPopupMenu::MinimizeClick);
    m_maximize = addAction(MaximizeRestoreCaption(), this, &TskTitleBarPopupMenu::MaximizeClick);
    addAction(QStringLiteral("-"));
    m_close = addAction(CloseCaption(), this, &TskTitleBarPopupMenu::CloseClick);
    HookMenuItems();
}

void TskTitleBarPopupMenu::SetCaptions(const QString& minimize, const QString& maximizeRestore,
                                       const QString& close) {
    captions() = {minimize, maximizeRestore, close};
}

QString TskTitleBarPopupMenu::MinimizeCaption() {
    return captions().minimize;
}

QString TskTitleBarPopupMenu::MaximizeRestoreCaption() {
    return captions().maximizeRestore;
}

QString TskTitleBarPopupMenu::CloseCaption() {
    return captions().close;
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
