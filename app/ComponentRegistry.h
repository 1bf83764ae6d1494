#pragma once

#include <QHash>
#include <QString>
#include <functional>

class QObject;
class QWidget;

// Creates a stored layout's components by their class name.
class ComponentRegistry {
public:
    using Factory = std::function<QObject*(QWidget* parent)>;

    void add(const QString& className, Factory factory);
    template <class T> void add(const QString& className) {
        add(className, [](QWidget* parent) -> QObject* { return new T(parent); });
    }

    bool contains(const QString& className) const;
    // nullptr for an unknown class.
    QObject* create(const QString& className, QWidget* parent) const;

private:
    QHash<QString, Factory> m_factories;
};
