#include "app/LayoutLoader.h"

#include "component/AlignLayout.h"
#include "component/ComponentState.h"
#include "component/PropertyByName.h"
#include "component/TabChain.h"

#include <QColor>
#include <QDir>
#include <QFont>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QWidget>
#include <algorithm>

namespace {

int findMethod(const QMetaObject* meta, const QString& name, QMetaMethod::MethodType type) {
    for (int i = meta->methodCount() - 1; i >= 0; --i) {
        const QMetaMethod m = meta->method(i);
        if (m.methodType() == type && name == QLatin1String(m.name()))
            return i;
    }
    return -1;
}

} // namespace

void LayoutLoader::fail(int line, const QString& message) const {
    throw LayoutError(m_file, line, message);
}

void LayoutLoader::loadFile(QWidget* root, const QString& fileName) {
    load(root, LayoutReader::readFile(fileName), fileName);
}

void LayoutLoader::load(QWidget* root, const LayoutNode& layout, const QString& fileName) {
    m_file = fileName;
    m_references.clear();
    m_created.clear();
    if (layout.className != QLatin1String(root->metaObject()->className()))
        fail(layout.line, QStringLiteral("the layout is for class %1, not %2")
                              .arg(layout.className, root->metaObject()->className()));
    root->setObjectName(layout.name);
    ComponentState::setLoading(root, true);
    m_created.append(root);
    apply(root, layout, root);
    createChildren(root, layout, root);
    resolveReferences();
    TabChain::settle(root);

    // Components see their final stored state before the window goes live.
    for (QObject* component : m_created) {
        ComponentState::setLoading(component, false);
        const int loaded = findMethod(component->metaObject(), "Loaded", QMetaMethod::Method);
        if (loaded >= 0)
            component->metaObject()->method(loaded).invoke(component);
    }
}

void LayoutLoader::createChildren(QWidget* parent, const LayoutNode& node, QWidget* root) {
    for (const LayoutNode& childNode : node.children) {
        if (!m_registry.contains(childNode.className))
            fail(childNode.line, QStringLiteral("unknown class %1").arg(childNode.className));
        QObject* child = m_registry.create(childNode.className, parent);
        child->setObjectName(childNode.name);
        ComponentState::setLoading(child, true);
        m_created.append(child);
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget)
            TabChain::enlist(widget);
        apply(child, childNode, root);
        if (!childNode.children.isEmpty()) {
            if (!widget)
                fail(childNode.line, QStringLiteral("%1 cannot hold controls").arg(childNode.name));
            createChildren(widget, childNode, root);
        }
    }
    AlignLayout::manage(parent);
}

void LayoutLoader::apply(QObject* component, const LayoutNode& node, QWidget* root) {
    for (const LayoutProperty& property : node.properties)
        applyProperty(component, property, root);
}

void LayoutLoader::applyProperty(QObject* component, const LayoutProperty& property,
                                 QWidget* root) {
    const QString& name = property.name;
    QVariant value = property.value;
    // Stored paths may start in the user's home folder.
    if (value.typeId() == QMetaType::QString && value.toString().contains(QLatin1String("$(HOME)")))
        value = value.toString().replace(QLatin1String("$(HOME)"), QDir::homePath());
    auto* widget = qobject_cast<QWidget*>(component);
    auto number = [&]() -> int {
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok || value.typeId() == QMetaType::QString)
            fail(property.line, QStringLiteral("%1 needs a number").arg(name));
        return n;
    };
    auto needWidget = [&]() {
        if (!widget)
            fail(property.line, QStringLiteral("%1 is not a control").arg(component->objectName()));
    };
    const QString key = name.toLower();

    if (key == "left" || key == "top" || key == "width" || key == "height") {
        needWidget();
        QRect r = widget->geometry();
        const int n = number();
        if (key == "left")
            r.moveLeft(n);
        else if (key == "top")
            r.moveTop(n);
        else if (key == "width")
            r.setWidth(n);
        else
            r.setHeight(n);
        widget->setGeometry(r);
        return;
    }
    if (key == "clientwidth" || key == "clientheight") {
        needWidget();
        if (key == "clientwidth")
            widget->resize(number(), widget->height());
        else
            widget->resize(widget->width(), number());
        return;
    }
    if (key == "align") {
        needWidget();
        bool ok = false;
        const auto align = AlignLayout::fromName(value.toString(), &ok);
        if (!ok)
            fail(property.line, QStringLiteral("unknown alignment %1").arg(value.toString()));
        AlignLayout::setAlign(widget, align);
        return;
    }
    if (key == "taborder" && !HasProperty(component, "TabOrder")) {
        needWidget();
        TabChain::setStoredOrder(widget, number());
        return;
    }
    if (key.startsWith("constraints.")) {
        needWidget();
        const QString part = key.mid(12);
        if (part == "minwidth")
            widget->setMinimumWidth(number());
        else if (part == "minheight")
            widget->setMinimumHeight(number());
        else if (part == "maxwidth")
            widget->setMaximumWidth(number());
        else if (part == "maxheight")
            widget->setMaximumHeight(number());
        else
            fail(property.line, QStringLiteral("unknown constraint %1").arg(name));
        return;
    }
    if (key.startsWith("font.")) {
        const QString part = key.mid(5);
        if (part == "color") {
            // Font colours are a component's own property where it has one.
            const int index = PropertyIndexByName(component->metaObject(), "FontColor");
            if (index >= 0) {
                component->metaObject()->property(index).write(component, number());
            } else {
                needWidget();
                const unsigned bgr = unsigned(number());
                QPalette pal = widget->palette();
                pal.setColor(QPalette::WindowText,
                             QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF));
                widget->setPalette(pal);
            }
            return;
        }
        const int index = PropertyIndexByName(component->metaObject(), "font");
        if (index < 0)
            fail(property.line, QStringLiteral("%1 has no font").arg(component->objectName()));
        const QMetaProperty fontProperty = component->metaObject()->property(index);
        QFont font = fontProperty.read(component).value<QFont>();
        if (part == "name") {
            font.setFamily(value.toString());
        } else if (part == "height") {
            // Negative heights are character heights in pixels.
            const int h = number();
            font.setPixelSize(std::max(1, std::abs(h)));
        } else if (part == "style") {
            const QStringList styles = value.toStringList();
            font.setBold(styles.contains("fsBold", Qt::CaseInsensitive));
            font.setItalic(styles.contains("fsItalic", Qt::CaseInsensitive));
            font.setUnderline(styles.contains("fsUnderline", Qt::CaseInsensitive));
            font.setStrikeOut(styles.contains("fsStrikeOut", Qt::CaseInsensitive));
        } else {
            fail(property.line, QStringLiteral("unknown font value %1").arg(name));
        }
        fontProperty.write(component, font);
        return;
    }
    if (key.startsWith("on")) {
        const int signal = findMethod(component->metaObject(), name, QMetaMethod::Signal);
        if (signal < 0)
            fail(property.line,
                 QStringLiteral("%1 has no event %2").arg(component->objectName(), name));
        const int slot = findMethod(root->metaObject(), value.toString(), QMetaMethod::Slot);
        if (slot < 0)
            fail(property.line,
                 QStringLiteral("%1 has no handler %2").arg(root->objectName(), value.toString()));
        QObject::connect(component, component->metaObject()->method(signal), root,
                         root->metaObject()->method(slot));
        return;
    }

    const int index = PropertyIndexByName(component->metaObject(), name);
    if (index < 0)
        fail(property.line,
             QStringLiteral("%1 (%2) has no property %3")
                 .arg(component->objectName(), component->metaObject()->className(), name));
    const QMetaProperty meta = component->metaObject()->property(index);
    if (!meta.isWritable())
        fail(property.line, QStringLiteral("%1 cannot be written").arg(name));
    QVariant converted = value;
    if (meta.metaType().flags() & QMetaType::PointerToQObject &&
        value.typeId() == QMetaType::QString) {
        // Another component, by name; it may not exist yet.
        const QString target = value.toString();
        if (target.compare(QLatin1String("nil"), Qt::CaseInsensitive) == 0)
            converted = QVariant(meta.metaType()); // a null reference
        else {
            m_references.append({component, index, target, property.line});
            return;
        }
    } else if (meta.isFlagType() && value.typeId() == QMetaType::QStringList) {
        bool ok = false;
        const QByteArray keys = value.toStringList().join(QLatin1Char('|')).toLatin1();
        const int v = keys.isEmpty() ? 0 : meta.enumerator().keysToValue(keys.constData(), &ok);
        if (!keys.isEmpty() && !ok)
            fail(property.line, QStringLiteral("[%1] is not a set of %2")
                                    .arg(value.toStringList().join(", "), name));
        converted = v;
    } else if (meta.isEnumType() && value.typeId() == QMetaType::QString) {
        bool ok = false;
        const int v = meta.enumerator().keyToValue(value.toString().toLatin1().constData(), &ok);
        if (!ok)
            fail(property.line,
                 QStringLiteral("%1 is not a value of %2").arg(value.toString(), name));
        converted = v;
    }
    if (!meta.write(component, converted))
        fail(property.line, QStringLiteral("%1 cannot be set to %2").arg(name, value.toString()));
}

void LayoutLoader::resolveReferences() {
    for (const Reference& ref : m_references) {
        QObject* target = nullptr;
        for (QObject* candidate : m_created)
            if (candidate->objectName().compare(ref.target, Qt::CaseInsensitive) == 0) {
                target = candidate;
                break;
            }
        const QMetaProperty meta = ref.component->metaObject()->property(ref.property);
        if (!target)
            fail(ref.line,
                 QStringLiteral("%1: no component named %2").arg(meta.name(), ref.target));
        if (!meta.write(ref.component, QVariant::fromValue(target)))
            fail(ref.line, QStringLiteral("%1 (%2) cannot be %3")
                               .arg(ref.target, target->metaObject()->className(), meta.name()));
    }
}
