#pragma once

// The one look-up of declared properties by name, letter case ignored, for
// stored layouts and for skinned components that set each other's
// properties. Where a class and its ancestor both declare a name (a form's
// own "Font" and QWidget's "font"), the most derived class's property wins.

#include <QAnyStringView>
#include <QVariant>

class QMetaObject;
class QObject;

// The index of the property named Name in Meta, or -1.
int PropertyIndexByName(const QMetaObject* meta, QAnyStringView name);

// Whether the object's class (or an ancestor) declares a property of that name.
bool HasProperty(const QObject* component, QAnyStringView name);
// Writes a declared property found by name; false when there is none or the
// value is refused. Enum properties take their key names ("MacOS") as strings.
bool SetPropertyByName(QObject* component, QAnyStringView name, const QVariant& value);
// The property's value; an invalid QVariant when there is none.
QVariant GetPropertyByName(const QObject* component, QAnyStringView name);
