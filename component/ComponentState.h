#pragma once

class QObject;

// Marks a component while its stored properties are being applied, so its
// writers can tell a stored value from a user's change (no click events, no
// cascades that the stored order will settle anyway).
class ComponentState {
public:
    static bool isLoading(const QObject* component);
    static void setLoading(QObject* component, bool loading);

    // A part a component makes for itself (a form's title bar, a title
    // bar's system menu) is owned by that component, not by the window it
    // sits in, whatever its parent. Everything else on a window is the
    // window's.
    static void setOwner(QObject* part, QObject* owner);
    // True when Component belongs to Window: neither it nor anything it
    // sits in below Window is a part owned by another component.
    static bool ownedBy(const QObject* component, const QObject* window);
};
