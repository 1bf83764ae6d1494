#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <utility>

// A stored collection property ("< item ... end ... >" in a layout file):
// one entry per item, each with its properties in stored order so a
// component can apply them through its item writers in that order.
struct LayoutItem {
    QList<std::pair<QString, QVariant>> properties;
    bool operator==(const LayoutItem&) const = default;
};
using LayoutCollection = QList<LayoutItem>;

Q_DECLARE_METATYPE(LayoutItem)
Q_DECLARE_METATYPE(LayoutCollection)
