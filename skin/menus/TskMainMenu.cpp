#include "skin/menus/TskMainMenu.h"

#include <QKeyEvent>
#include <QMetaObject>

namespace {

bool hasMethod(const QObject* object, const char* signature) {
    return object && object->metaObject()->indexOfMethod(signature) >= 0;
}

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
        if (IsSkinForm(child)) {
            if (hasMethod(child, "SetMenu(QMenu*)"))
                QMetaObject::invokeMethod(child, "SetMenu", Q_ARG(QMenu*, this));
            break;
        }
    }
}

void TskMainMenu::callForm(const char* method) {
    const QByteArray signature = QByteArray(method) + "()";
    if (hasMethod(m_skinForm, signature.constData()))
        QMetaObject::invokeMethod(m_skinForm, method);
}

void TskMainMenu::HookMenuItems() {
    SkinMenu::HookMenuItems();
    callForm("UpdateMenuBar");
}

void TskMainMenu::SetUseSystemFont(bool value) {
    SkinMenu::SetUseSystemFont(value);
    callForm("UpdateMenuBarFont");
}

void TskMainMenu::MenuChanged() {
    callForm("UpdateMenuBarItems");
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
