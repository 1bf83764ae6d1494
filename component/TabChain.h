#pragma once

#include <QList>

class QWidget;

// The tab order of the controls in each container: every enlisted control
// has a place in its parent's list, and the window's focus chain runs
// through the lists depth first, so a container's controls follow it in
// the chain. Controls join their parent's list at its end.
class TabChain {
public:
    // Puts the control at the end of its parent's list unless it is there.
    static void enlist(QWidget* control);
    // The enlisted controls of a container in tab order.
    static QList<QWidget*> controls(const QWidget* container);

    // The control's place in its parent's list from 0; -1 when it has no
    // parent or is not enlisted.
    static int order(const QWidget* control);
    // Moves the control to that place (a place outside the list means the
    // end) and links the window's focus chain again.
    static void setOrder(QWidget* control, int order);

    // A stored layout names places before all the controls exist: the
    // places are kept and settle() sorts every list below Root by them
    // (controls without one after those with one, in the order they
    // joined), then links the focus chain.
    static void setStoredOrder(QWidget* control, int order);
    static void settle(QWidget* root);

    // Links the focus chain of the enlisted controls below Root in tab order.
    static void link(QWidget* root);

private:
    static void renumber(const QList<QWidget*>& controls);
    static void sortByStoredOrder(const QWidget* container);
    static void linkBelow(const QWidget* container, QWidget*& previous);
};
