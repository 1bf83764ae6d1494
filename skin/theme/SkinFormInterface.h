#pragma once

// What the rest of the skinning layer asks of a skinned form. Theme files,
// menus and the title bar reach the form through this interface (found with
// qobject_cast), not by its class name or by calling methods by name.

#include "skin/theme/SkinThemes.h"

#include <QtPlugin>

class QMenu;
class QObject;
class QWidget;

class SkinFormInterface {
public:
    virtual ~SkinFormInterface() = default;

    virtual TskUIStyle UIStyle() const = 0;
    // The window the form took over; null for a plain panel.
    virtual QWidget* OwnerForm() const = 0;
    // The side-border image's width, 0 with the built-in styles.
    virtual int GetSideBorderWidth() const = 0;
    // The file theme the form uses reloaded its file: take the new file's
    // values, then recompute and repaint the frame.
    virtual void RefreshFrame() = 0;
    // The main menu the form shows in its menu bar, and changes to it.
    virtual void SetMenu(QMenu* menu) = 0;
    virtual void UpdateMenuBar() = 0;
    virtual void UpdateMenuBarItems() = 0;
    virtual void UpdateMenuBarFont() = 0;

    // The skinned form Object is, or null.
    static SkinFormInterface* cast(QObject* object);
    static const SkinFormInterface* cast(const QObject* object);
    // The skinned form carrying Window: the window itself when it is one,
    // else its child form that took it over. Null for none.
    static SkinFormInterface* skinFormOf(QWidget* window);
};

#define SkinFormInterface_iid "org.deckvane.SkinFormInterface"
Q_DECLARE_INTERFACE(SkinFormInterface, SkinFormInterface_iid)
