#include "component/AlignLayout.h"

#include <QEvent>
#include <QMargins>
#include <QMetaEnum>
#include <QWidget>
#include <algorithm>
#include <numeric>

namespace {
const char* const kAlignProperty = "_deckvane_align";
const char* const kMarginsProperty = "_deckvane_client_margins";
const char* const kManagedProperty = "_deckvane_align_managed";
} // namespace

QList<QRect> AlignLayout::arrange(const QRect& client, const QList<Item>& items) {
    QList<QRect> result;
    for (const Item& item : items)
        result.append(item.rect);
    QRect rest = client;
    for (Align pass : {alTop, alBottom, alLeft, alRight, alClient}) {
        QList<int> order;
        for (int i = 0; i < items.size(); ++i)
            if (items[i].align == pass)
                order.append(i);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const QRect &ra = items[a].rect, &rb = items[b].rect;
            switch (pass) {
            case alTop:
                return ra.top() < rb.top();
            case alBottom:
                return ra.top() + ra.height() > rb.top() + rb.height();
            case alLeft:
                return ra.left() < rb.left();
            case alRight:
                return ra.left() + ra.width() > rb.left() + rb.width();
            default:
                return false;
            }
        });
        for (int i : order) {
            const QRect& r = items[i].rect;
            const int w = std::max(0, rest.width());
            const int h = std::max(0, rest.height());
            switch (pass) {
            case alTop:
                result[i] = QRect(rest.left(), rest.top(), w, r.height());
                rest.setTop(rest.top() + r.height());
                break;
            case alBottom:
                result[i] = QRect(rest.left(), rest.top() + h - r.height(), w, r.height());
                rest.setHeight(h - r.height());
                break;
            case alLeft:
                result[i] = QRect(rest.left(), rest.top(), r.width(), h);
                rest.setLeft(rest.left() + r.width());
                break;
            case alRight:
                result[i] = QRect(rest.left() + w - r.width(), rest.top(), r.width(), h);
                rest.setWidth(w - r.width());
                break;
            default:
                result[i] = QRect(rest.left(), rest.top(), w, h);
                break;
            }
        }
    }
    return result;
}

AlignLayout::Align AlignLayout::fromName(const QString& name, bool* ok) {
    const QMetaEnum meta = QMetaEnum::fromType<Align>();
    bool found = false;
    const int value = meta.keyToValue(name.toLatin1().constData(), &found);
    if (ok)
        *ok = found;
    return found ? Align(value) : alNone;
}

void AlignLayout::setAlign(QWidget* control, Align align) {
    control->setProperty(kAlignProperty, int(align));
    if (QWidget* parent = control->parentWidget())
        if (parent->property(kManagedProperty).toBool())
            realign(parent);
}

AlignLayout::Align AlignLayout::align(const QWidget* control) {
    return Align(control->property(kAlignProperty).toInt());
}

void AlignLayout::setClientMargins(QWidget* container, const QMargins& margins) {
    container->setProperty(kMarginsProperty, QVariant::fromValue(margins));
    realign(container);
}

void AlignLayout::realign(QWidget* container) {
    QList<QWidget*> children;
    QList<Item> items;
    for (QObject* object : container->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow() || child->isHidden() || align(child) == alNone)
            continue;
        children.append(child);
        items.append({align(child), child->geometry()});
    }
    if (children.isEmpty())
        return;
    const QMargins margins = container->property(kMarginsProperty).value<QMargins>();
    const QList<QRect> placed = arrange(container->rect().marginsRemoved(margins), items);
    for (int i = 0; i < children.size(); ++i)
        if (children[i]->geometry() != placed[i])
            children[i]->setGeometry(placed[i]);
}

AlignLayout* AlignLayout::filter() {
    static AlignLayout* instance = new AlignLayout;
    return instance;
}

void AlignLayout::manage(QWidget* container) {
    if (!container->property(kManagedProperty).toBool()) {
        container->setProperty(kManagedProperty, true);
        container->installEventFilter(filter());
    }
    realign(container);
}

bool AlignLayout::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::ChildAdded:
    case QEvent::ChildRemoved:
    case QEvent::LayoutRequest:
        if (auto* widget = qobject_cast<QWidget*>(watched))
            realign(widget);
        break;
    default:
        break;
    }
    return false;
}
