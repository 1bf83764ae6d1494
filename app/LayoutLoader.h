#pragma once

#include "app/ComponentRegistry.h"
#include "app/LayoutReader.h"

class QObject;
class QWidget;

// Builds a window from its stored layout: creates each component by class
// name in stored order and sets its properties through the property system in
// stored order, so a later property overrides what an earlier writer derived.
//
// The loader itself places controls (Left, Top, Width, Height, ClientWidth,
// ClientHeight, Align), keeps the tab order of controls without a TabOrder
// property of their own (per parent), fills grouped values (Font.*,
// Constraints.*) and connects events: "OnClick = skButton2Click" connects
// the component's OnClick signal to the root's slot of that name. Every
// other name is a property, matched without case; a [set] fills a flag
// property, and a name given to a property that holds a component refers to
// the component of that name in the layout (nil for none), which may come
// later in the layout than the reference.
class LayoutLoader {
public:
    explicit LayoutLoader(const ComponentRegistry& registry) : m_registry(registry) {}

    // Throws LayoutError naming the file and line of the fault.
    void load(QWidget* root, const LayoutNode& layout, const QString& fileName);
    void loadFile(QWidget* root, const QString& fileName);

private:
    struct Reference {
        QObject* component;
        int property;
        QString target;
        int line;
    };

    void apply(QObject* component, const LayoutNode& node, QWidget* root);
    void applyProperty(QObject* component, const LayoutProperty& property, QWidget* root);
    void createChildren(QWidget* parent, const LayoutNode& node, QWidget* root);
    void resolveReferences();
    [[noreturn]] void fail(int line, const QString& message) const;

    const ComponentRegistry& m_registry;
    QString m_file;
    QList<Reference> m_references;
    QList<QObject*> m_created;
};
