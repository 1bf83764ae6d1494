#pragma once

#include "skin/menus/SkinMenu.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <optional>

class SkinFormInterface;
class QKeyEvent;

// A main menu drawn in the skin's style. It is never shown itself: its
// top-level actions (each with its sub-menu) are the menu's items, which the
// skinned form shows as buttons of its menu bar; the drop-downs are drawn
// by this menu.
//
// The skinned form is reached through SkinFormInterface, so this layer does
// not depend on it: SetMenu takes this menu (after construction),
// UpdateMenuBar rebuilds the bar's buttons, UpdateMenuBarItems refreshes
// captions and enabled state, UpdateMenuBarFont follows the font setting.
class TskMainMenu : public SkinMenu {
    Q_OBJECT
    Q_PROPERTY(bool OwnerDraw READ OwnerDraw WRITE SetOwnerDraw)

public:
    // On a window that carries a skinned form, the form takes this menu.
    explicit TskMainMenu(QWidget* owner = nullptr);

    bool OwnerDraw() const { return true; }
    void SetOwnerDraw(bool) {}

    // Reading gives none while the menu's own check-mark list is installed;
    // writing none (ClearImages) installs it again.
    const QList<QImage>* Images() const { return m_images ? &*m_images : nullptr; }
    void SetImages(const QList<QImage>& images) { m_images = images; }
    void ClearImages() { m_images.reset(); }

    // The skinned form showing this menu (not owned); set and cleared by it.
    QObject* SkinForm() const { return m_skinForm; }
    void SetSkinForm(QObject* form) { m_skinForm = form; }

    void HookMenuItems() override;
    void SetUseSystemFont(bool value) override;

    // Runs the enabled item whose shortcut the key press gives; false when
    // no item has it.
    bool IsShortCut(const QKeyEvent* key);

    const QList<QImage>* ItemImages() const override { return Images(); }
    QImage CheckMarkImage() const override { return m_checkMark; }

protected:
    void MenuChanged() override;

private:
    void callForm(void (SkinFormInterface::*method)());

    std::optional<QList<QImage>> m_images;
    QImage m_checkMark;
    QPointer<QObject> m_skinForm;
};
