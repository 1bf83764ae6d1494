#include "component/TabChain.h"

#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <climits>

namespace {
// The control's key in its parent's list, and the parent it belongs to
// (a control moved to another parent joins that one's list anew).
const char* const kKeyProperty = "_deckvane_tab_key";
const char* const kOwnerProperty = "_deckvane_tab_parent";
const char* const kStoredProperty = "_deckvane_tab_stored";

bool enlistedIn(const QWidget* control, const QWidget* container) {
    return control->property(kKeyProperty).isValid() &&
           control->property(kOwnerProperty).value<quintptr>() == quintptr(container);
}
} // namespace

QList<QWidget*> TabChain::controls(const QWidget* container) {
    QList<QWidget*> list;
    for (QObject* object : container->children())
        if (auto* w = qobject_cast<QWidget*>(object);
            w && !w->isWindow() && enlistedIn(w, container))
            list.append(w);
    std::stable_sort(list.begin(), list.end(), [](QWidget* a, QWidget* b) {
        return a->property(kKeyProperty).toInt() < b->property(kKeyProperty).toInt();
    });
    return list;
}

void TabChain::enlist(QWidget* control) {
    QWidget* parent = control->parentWidget();
    if (!parent || control->isWindow() || enlistedIn(control, parent))
        return;
    int next = 0;
    for (QWidget* sibling : controls(parent))
        next = std::max(next, sibling->property(kKeyProperty).toInt() + 1);
    control->setProperty(kKeyProperty, next);
    control->setProperty(kOwnerProperty, QVariant::fromValue(quintptr(parent)));
}

int TabChain::order(const QWidget* control) {
    const QWidget* parent = control->parentWidget();
    if (!parent)
        return -1;
    return int(controls(parent).indexOf(control));
}

void TabChain::renumber(const QList<QWidget*>& list) {
    for (int i = 0; i < list.size(); ++i)
        list[i]->setProperty(kKeyProperty, i);
}

void TabChain::setOrder(QWidget* control, int order) {
    QWidget* parent = control->parentWidget();
    if (!parent || control->isWindow())
        return;
    enlist(control);
    QList<QWidget*> list = controls(parent);
    list.removeOne(control);
    if (order < 0 || order > list.size())
        order = int(list.size());
    list.insert(order, control);
    renumber(list);
    link(control->window());
}

void TabChain::setStoredOrder(QWidget* control, int order) {
    enlist(control);
    control->setProperty(kStoredProperty, order);
}

void TabChain::settle(QWidget* root) {
    sortByStoredOrder(root);
    link(root);
}

void TabChain::sortByStoredOrder(const QWidget* container) {
    QList<QWidget*> list = controls(container);
    std::stable_sort(list.begin(), list.end(), [](QWidget* a, QWidget* b) {
        const QVariant sa = a->property(kStoredProperty), sb = b->property(kStoredProperty);
        return (sa.isValid() ? sa.toInt() : INT_MAX) < (sb.isValid() ? sb.toInt() : INT_MAX);
    });
    renumber(list);
    for (QWidget* control : list) {
        control->setProperty(kStoredProperty, QVariant());
        sortByStoredOrder(control);
    }
}

void TabChain::link(QWidget* root) {
    // Qt 6.4 cannot swap two neighbours when nothing focusable follows them
    // in the chain; a focusable stop at the end, removed afterwards, keeps
    // every reordering possible.
    QWidget stop(root);
    stop.setFocusPolicy(Qt::TabFocus);
    QWidget* previous = nullptr;
    linkBelow(root, previous);
}

void TabChain::linkBelow(const QWidget* container, QWidget*& previous) {
    for (QWidget* w : controls(container)) {
        if (w->focusPolicy() & Qt::TabFocus) {
            if (previous)
                QWidget::setTabOrder(previous, w);
            previous = w;
        }
        linkBelow(w, previous);
    }
}
