#include "skin/theme/SkinThemeUser.h"

#include <QObject>

SkinThemeUser* SkinThemeUser::cast(QObject* object) {
    return qobject_cast<SkinThemeUser*>(object);
}
