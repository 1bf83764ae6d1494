#include "app/ComponentRegistry.h"

void ComponentRegistry::add(const QString& className, Factory factory) {
    m_factories.insert(className, std::move(factory));
}

bool ComponentRegistry::contains(const QString& className) const {
    return m_factories.contains(className);
}

QObject* ComponentRegistry::create(const QString& className, QWidget* parent) const {
    auto it = m_factories.constFind(className);
    return it == m_factories.constEnd() ? nullptr : (*it)(parent);
}
