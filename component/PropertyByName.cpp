#include "component/PropertyByName.h"

#include <QMetaProperty>
#include <QObject>

int PropertyIndexByName(const QMetaObject* meta, QAnyStringView name) {
    if (!meta || name.isEmpty())
        return -1;
    // Properties are numbered from the root class down, so the search runs
    // backwards to meet the most derived declaration first.
    for (int i = meta->propertyCount() - 1; i >= 0; --i) {
        if (QAnyStringView::compare(QLatin1StringView(meta->property(i).name()), name,
                                    Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool HasProperty(const QObject* component, QAnyStringView name) {
    return component && PropertyIndexByName(component->metaObject(), name) >= 0;
}

bool SetPropertyByName(QObject* component, QAnyStringView name, const QVariant& value) {
    if (!component)
        return false;
    const int index = PropertyIndexByName(component->metaObject(), name);
    return index >= 0 && component->metaObject()->property(index).write(component, value);
}

QVariant GetPropertyByName(const QObject* component, QAnyStringView name) {
    if (!component)
        return QVariant();
    const int index = PropertyIndexByName(component->metaObject(), name);
    return index < 0 ? QVariant() : component->metaObject()->property(index).read(component);
}
