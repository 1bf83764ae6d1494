#include "skin/form/SkinMainForm.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace {
QPointer<QWidget>& mainFormSlot() {
    static QPointer<QWidget> form;
    return form;
}
} // namespace

void SetApplicationMainForm(QWidget* form) {
    mainFormSlot() = form;
}
QWidget* ApplicationMainForm() {
    return mainFormSlot();
}

QRect GetWorkAreaRect() {
    QScreen* screen = nullptr;
    if (QWidget* form = ApplicationMainForm()) {
        screen = QGuiApplication::screenAt(form->frameGeometry().center());
        if (!screen)
            screen = form->screen();
    }
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

bool FormIsActive(const QWidget* form) {
    const QWidget* mainForm = ApplicationMainForm();
    if (!mainForm)
        return form && form->isActiveWindow();
    if (QGuiApplication::applicationState() != Qt::ApplicationActive)
        return false;
    if (!form || form == mainForm)
        return true;
    return form->isActiveWindow();
}
