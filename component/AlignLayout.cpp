#include "component/AlignLayout.h"

#include <QEvent>
#include <QMargins>
#include <QMetaEnum>
#include <QSize>
#include <QWidget>
#include <algorithm>
#include <numeric>
#include <utility>

namespace {
const char* const kAlignProperty = "_deckvane_align";
const char* const kMarginsProperty = "_deckvane_client_margins";
const char* const kManagedProperty = "_deckvane_align_managed";
// An anchored control's reference: its place and the client size it was
// taken at, and where anchoring last put it at which client size (a control
// found elsewhere was moved by someone else and takes a new reference).
const char* const kAnchorsProperty = "_deckvane_anchors";
const char* const kAnchorRectProperty = "_deckvane_anchor_rect";
const char* const kAnchorClientProperty = "_deckvane_anchor_client";
const char* const kAnchorPlacedProperty = "_deckvane_anchor_placed";
const char* const kAnchorPlacedClientProperty = "_deckvane_anchor_placed_client";

constexpr AlignLayout::Anchors kDefaultAnchors = AlignLayout::akLeft | AlignLayout::akTop;

// One axis of the anchoring rule: position and length along it.
std::pair<int, int> anchorAxis(bool near, bool far, int pos, int length, int originalExtent,
                               int extent) {
    const int delta = extent - originalExtent;
    if (near && far)
        return {pos, std::max(0, length + delta)};
    if (far)
        return {pos + delta, length};
    if (near || originalExtent <= 0)
        return {pos, length};
    // Neither side: the centre stays at the same share of the extent.
    const qint64 centre = qint64(pos) + length / 2;
    return {int(centre * extent / originalExtent - length / 2), length};
}

QRect clientRectOf(const QWidget* container) {
    return container->rect().marginsRemoved(
        container->property(kMarginsProperty).value<QMargins>());
}
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

QRect AlignLayout::anchored(Anchors anchors, const QRect& original, QSize originalClient,
                            QSize client) {
    const auto [x, w] = anchorAxis(anchors & akLeft, anchors & akRight, original.x(),
                                   original.width(), originalClient.width(), client.width());
    const auto [y, h] = anchorAxis(anchors & akTop, anchors & akBottom, original.y(),
                                   original.height(), originalClient.height(), client.height());
    return QRect(x, y, w, h);
}

void AlignLayout::setAnchors(QWidget* control, Anchors anchors) {
    control->setProperty(kAnchorsProperty, int(anchors));
    QWidget* parent = control->parentWidget();
    if (!parent || control->isWindow())
        return;
    const QRect client = clientRectOf(parent);
    const QRect place = control->geometry().translated(-client.topLeft());
    control->setProperty(kAnchorRectProperty, place);
    control->setProperty(kAnchorClientProperty, client.size());
    control->setProperty(kAnchorPlacedProperty, place);
    control->setProperty(kAnchorPlacedClientProperty, client.size());
    if (anchors != kDefaultAnchors && !parent->property(kManagedProperty).toBool()) {
        parent->setProperty(kManagedProperty, true);
        parent->installEventFilter(filter());
    }
}

AlignLayout::Anchors AlignLayout::anchors(const QWidget* control) {
    const QVariant stored = control->property(kAnchorsProperty);
    return stored.isValid() ? Anchors(stored.toInt()) : kDefaultAnchors;
}

void AlignLayout::placeAnchored(QWidget* control, const QRect& client) {
    const Anchors anchors = AlignLayout::anchors(control);
    if (anchors == kDefaultAnchors || !control->property(kAnchorRectProperty).isValid())
        return;
    const QRect now = control->geometry().translated(-client.topLeft());
    if (now != control->property(kAnchorPlacedProperty).toRect()) {
        control->setProperty(kAnchorRectProperty, now);
        control->setProperty(kAnchorClientProperty, control->property(kAnchorPlacedClientProperty));
    }
    const QRect place = anchored(anchors, control->property(kAnchorRectProperty).toRect(),
                                 control->property(kAnchorClientProperty).toSize(), client.size());
    control->setProperty(kAnchorPlacedProperty, place);
    control->setProperty(kAnchorPlacedClientProperty, client.size());
    if (place != now)
        control->setGeometry(place.translated(client.topLeft()));
}

void AlignLayout::setClientMargins(QWidget* container, const QMargins& margins) {
    container->setProperty(kMarginsProperty, QVariant::fromValue(margins));
    realign(container);
}

void AlignLayout::realign(QWidget* container) {
    QList<QWidget*> children;
    QList<Item> items;
    QList<QWidget*> free;
    for (QObject* object : container->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow())
            continue;
        if (align(child) == alNone)
            free.append(child); // hidden ones too: they keep their anchors
        else if (!child->isHidden()) {
            children.append(child);
            items.append({align(child), child->geometry()});
        }
    }
    const QRect client = clientRectOf(container);
    const QList<QRect> placed = arrange(client, items);
    for (int i = 0; i < children.size(); ++i)
        if (children[i]->geometry() != placed[i])
            children[i]->setGeometry(placed[i]);
    for (QWidget* child : free)
        placeAnchored(child, client);
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
