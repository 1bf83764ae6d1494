#pragma once

class QObject;

// Marks a component while its stored properties are being applied, so its
// writers can tell a stored value from a user's change (no click events, no
// cascades that the stored order will settle anyway).
class ComponentState {
public:
    static bool isLoading(const QObject* component);
    static void setLoading(QObject* component, bool loading);
};
