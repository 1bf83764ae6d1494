#pragma once

#include <QByteArray>
#include <QString>

// The settings an office the program starts runs with, kept in its private
// profile. Decks are untrusted: the office must not fetch what a deck links
// to (pictures, objects, data; on the disk or on the network) nor run its
// macros. The office blocks links from documents outside its trusted
// locations when told to, and the profile trusts no location. Its font
// replacement table gives common Office fonts their metric twins.
class OfficeProfile {
public:
    // The profile's settings file with these settings in it; other settings
    // the office keeps there (it rewrites the file itself) stay.
    static QByteArray withSecuritySettings(const QByteArray& existing);
    // Writes them into the profile folder before the office starts; raises
    // AutomationError when they cannot be written.
    static void prepare(const QString& profileDir);
    // Whether a font of this very family is installed, not one fontconfig
    // would put in its place.
    static bool installed(const char* family);
};
