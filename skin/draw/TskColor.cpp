#include "skin/draw/TskColor.h"

#include "component/PropertyByName.h"

#include <QWidget>

#include <QGuiApplication>
#include <QPalette>

namespace {

// System colour indices in the order the colour values number them.
QColor systemColor(int index) {
    const QPalette pal = QGuiApplication::palette();
    switch (index) {
    case 0:
        return pal.color(QPalette::Button); // scroll bar
    case 1:
        return pal.color(QPalette::Dark); // desktop
    case 2:
        return pal.color(QPalette::Active, QPalette::Highlight); // active caption
    case 3:
        return pal.color(QPalette::Inactive, QPalette::Mid); // inactive caption
    case 4:
        return pal.color(QPalette::Window); // menu
    case 5:
        return pal.color(QPalette::Base); // window
    case 6:
        return pal.color(QPalette::Shadow); // window frame
    case 7:
        return pal.color(QPalette::WindowText); // menu text
    case 8:
        return pal.color(QPalette::Text); // window text
    case 9:
        return pal.color(QPalette::Active, QPalette::HighlightedText); // caption text
    case 10:                                                           // active border
    case 11:
        return pal.color(QPalette::Window); // inactive border
    case 12:
        return pal.color(QPalette::Mid); // app workspace
    case 13:
        return pal.color(QPalette::Highlight); // highlight
    case 14:
        return pal.color(QPalette::HighlightedText); // highlight text
    case 15:
        return pal.color(QPalette::Button); // button face
    case 16:
        return pal.color(QPalette::Mid); // button shadow
    case 17:
        return pal.color(QPalette::Disabled, QPalette::Text); // grey text
    case 18:
        return pal.color(QPalette::ButtonText); // button text
    case 19:
        return pal.color(QPalette::Inactive, QPalette::WindowText); // inactive caption text
    case 20:
        return pal.color(QPalette::Light); // button highlight
    case 21:
        return pal.color(QPalette::Shadow); // 3D dark shadow
    case 22:
        return pal.color(QPalette::Midlight); // 3D light
    case 23:
        return pal.color(QPalette::ToolTipText); // info text
    case 24:
        return pal.color(QPalette::ToolTipBase); // info background
    case 26:
        return pal.color(QPalette::Link); // hot light
    case 27:
        return pal.color(QPalette::Active, QPalette::Highlight); // gradient active caption
    case 28:
        return pal.color(QPalette::Inactive, QPalette::Mid); // gradient inactive caption
    case 29:
        return pal.color(QPalette::Highlight); // menu highlight
    case 30:
        return pal.color(QPalette::Window); // menu bar
    default:
        return QColor(Qt::black);
    }
}

} // namespace

QColor TskColor::toQColor(qint32 value) {
    const quint32 v = quint32(value);
    if (isSystemColor(value))
        return systemColor(int(v & 0x00FFFFFF) > 0xFF ? -1 : int(v & 0xFF));
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

qint32 TskColor::fromQColor(const QColor& color) {
    return fromRgb(color.red(), color.green(), color.blue());
}

qint32 TskColor::resolve(qint32 value) {
    return fromQColor(toQColor(value));
}

qint32 TskColor::ofWidget(const QWidget* widget) {
    const QVariant color = GetPropertyByName(widget, "Color");
    bool ok = false;
    const qint32 value = color.toInt(&ok);
    if (ok && color.typeId() != QMetaType::QString)
        return value;
    return fromQColor(widget->palette().color(widget->backgroundRole()));
}
