#include "component/ComponentState.h"

#include <QObject>
#include <QVariant>

namespace {
const char* const kLoading = "_deckvane_loading";
}

bool ComponentState::isLoading(const QObject* component) {
    return component && component->property(kLoading).toBool();
}

void ComponentState::setLoading(QObject* component, bool loading) {
    component->setProperty(kLoading, loading ? QVariant(true) : QVariant());
}
