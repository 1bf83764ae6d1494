#include "skin/menus/TskMainMenu.h"
#include "skin/theme/SkinFormInterface.h"

#include <QKeyEvent>
#include <QMetaObject>

namespace {

QAction* findShortcut(const QMenu* menu, const QKeySequence& key) {
    for (QAction* action : menu->actions()) {
        if (!action->isEnabled() || !action->isVisible())
            continue;
        if (QMenu* sub = action->menu()) {
            if (QAction* found = findShortcut(sub, key))
                return found;
            continue;
        }
        for (const QKeySequence& shortcut : action->shortcuts()) {
            if (shortcut.matches(key) == QKeySequence::ExactMatch)
                return action;
        }
    }
    return nullptr;
}

} // namespace

TskMainMenu::TskMainMenu(QWidget* owner) : SkinMenu(owner), m_checkMark(MakeCheckMarkImage()) {
    if (!owner || !owner->isWindow())
        return;
    for (QObject* child : owner->children()) {
        if (SkinFormInterface* form = SkinFormInterface::cast(child)) {
            form->SetMenu(this);
            break;
        }
    }
}

void TskMainMenu::callForm(void (SkinFormInterface::*method)()) {
    if (SkinFormInterface* form = SkinFormInterface::cast(m_skinForm))
        (form->*method)();
}

void TskMainMenu::HookMenuItems() {
    SkinMenu::HookMenuItems();
    callForm(&SkinFormInterface::UpdateMenuBar);
}

void TskMainMenu::SetUseSystemFont(bool value) {
    SkinMenu::SetUseSystemFont(value);
    callForm(&SkinFormInterface::UpdateMenuBarFont);
}

void TskMainMenu::MenuChanged() {
    callForm(&SkinFormInterface::UpdateMenuBarItems);
}

bool TskMainMenu::IsShortCut(const QKeyEvent* key) {
    if (!key || key->key() == 0 || key->key() == Qt::Key_unknown)
        return false;
    QAction* action = findShortcut(this, QKeySequence(key->keyCombination()));
    if (!action)
        return false;
    action->trigger();
    return true;
}
