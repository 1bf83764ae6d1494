#pragma once

// What a theme file asks of the skinned components that draw from it: after
// loading a new file it hands itself to each of them again, so each re-reads
// its skin. Found with qobject_cast, so only skinned components answer;
// another object that merely has a property of that name is left alone.

#include <QtPlugin>

class QObject;
class TskFileTheme;

class SkinThemeUser {
public:
    virtual ~SkinThemeUser() = default;

    virtual TskFileTheme* FileTheme() const = 0;
    // Stores the reference and re-applies the current style. Controls do so
    // also when the reference is the one they hold; a form only on a change.
    virtual void SetFileTheme(TskFileTheme* theme) = 0;

    // The skinned component Object is, or null.
    static SkinThemeUser* cast(QObject* object);
};

#define SkinThemeUser_iid "org.deckvane.SkinThemeUser"
Q_DECLARE_INTERFACE(SkinThemeUser, SkinThemeUser_iid)
