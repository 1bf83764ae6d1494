#include "skin/theme/SkinFormInterface.h"

#include <QWidget>

SkinFormInterface* SkinFormInterface::cast(QObject* object) {
    return qobject_cast<SkinFormInterface*>(object);
}

const SkinFormInterface* SkinFormInterface::cast(const QObject* object) {
    return qobject_cast<const SkinFormInterface*>(object);
}

SkinFormInterface* SkinFormInterface::skinFormOf(QWidget* window) {
    if (!window)
        return nullptr;
    if (SkinFormInterface* form = cast(window))
        return form;
    for (QObject* child : window->children()) {
        if (SkinFormInterface* form = cast(child); form && form->OwnerForm() == window)
            return form;
    }
    return nullptr;
}
