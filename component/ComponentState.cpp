#include "component/ComponentState.h"

#include <QObject>
#include <QVariant>

namespace {
const char* const kLoading = "_deckvane_loading";
const char* const kOwner = "_deckvane_owner";
} // namespace

bool ComponentState::isLoading(const QObject* component) {
    return component && component->property(kLoading).toBool();
}

void ComponentState::setLoading(QObject* component, bool loading) {
    component->setProperty(kLoading, loading ? QVariant(true) : QVariant());
}

void ComponentState::setOwner(QObject* part, QObject* owner) {
    part->setProperty(kOwner, QVariant::fromValue(owner));
}

bool ComponentState::ownedBy(const QObject* component, const QObject* window) {
    for (const QObject* o = component; o && o != window; o = o->parent()) {
        const QVariant owner = o->property(kOwner);
        if (owner.isValid() && owner.value<QObject*>() != window)
            return false;
    }
    return true;
}
