#include "app/automation/OfficeProfile.h"

#include "app/automation/AutomationError.h"
#include "platform/FileError.h"
#include "platform/PosixFiles.h"

#include <QByteArrayList>
#include <fontconfig/fontconfig.h>

namespace {

constexpr char kScripting[] = "/org.openoffice.Office.Common/Security/Scripting";

struct Setting {
    const char* name;
    const char* value; // nullptr: an empty list
};

// BlockUntrustedRefererLinks: the office fetches nothing a document links
// to unless the document lies in a trusted location; SecureURL (the trusted
// locations) is empty. Macros never run, nor Basic scripts of any origin
// (OfficeBasic 0), nor plug-ins found inside a document (ExecutePlugins).
// Every key is one the office's own configuration schema has: one it does
// not know is dropped without a word.
constexpr Setting kSettings[] = {
    {"BlockUntrustedRefererLinks", "true"},
    {"SecureURL", nullptr},
    {"DisableMacrosExecution", "true"},
    {"MacroSecurityLevel", "3"},
    {"OfficeBasic", "0"},
    {"ExecutePlugins", "false"},
};

constexpr char kSubstitution[] = "/org.openoffice.Office.Common/Font/Substitution";

// Fonts of common Office families that Debian has no metric-compatible
// twin of under the same name (fontconfig maps Calibri, Cambria, Arial,
// Times New Roman and Courier New by itself): each gets the free font with
// the same widths, so lines break where the author saw them break. Used
// only where the named font is not installed.
//
// Some the office believes it has, as fontconfig answers for them with
// another font, and so never replaces: Impact comes out in dingbats (a
// deck's titles become rows of symbols) and Gill Sans in a much wider sans.
// These are replaced `always`, which is written only where no font of
// that very family is installed.
struct FontPair {
    const char* replaced;
    const char* substitute;
    bool always = false;
};
constexpr FontPair kFontPairs[] = {
    {"Calibri Light", "Carlito"},
    {"Century Gothic", "URW Gothic"},
    {"Book Antiqua", "P052"},
    {"Palatino Linotype", "P052"},
    {"Bookman Old Style", "URW Bookman"},
    {"Century Schoolbook", "C059"},
    {"Arial Narrow", "Liberation Sans Narrow"},
    {"Impact", "Liberation Sans Narrow", true},
    {"Gill Sans", "Carlito", true},
    {"Gill Sans MT", "Carlito", true},
};

QByteArray fontLines() {
    QByteArray lines = QByteArray("<item oor:path=\"") + kSubstitution +
                       "\"><prop oor:name=\"Replacement\" oor:op=\"fuse\"><value>true</value>"
                       "</prop></item>";
    int index = 0;
    for (const FontPair& pair : kFontPairs) {
        if (pair.always && OfficeProfile::installed(pair.replaced))
            continue;
        lines += QByteArray("\n<item oor:path=\"") + kSubstitution +
                 "/FontPairs\"><node oor:name=\"_" + QByteArray::number(index++) +
                 "\" oor:op=\"replace\"><prop oor:name=\"Always\" oor:op=\"fuse\"><value>" +
                 (pair.always ? "true" : "false") +
                 "</value></prop><prop oor:name=\"OnScreenOnly\" oor:op=\"fuse\"><value>false"
                 "</value></prop><prop oor:name=\"ReplaceFont\" oor:op=\"fuse\"><value>" +
                 pair.replaced +
                 "</value></prop><prop oor:name=\"SubstituteFont\" oor:op=\"fuse\"><value>" +
                 pair.substitute + "</value></prop></node></item>";
    }
    return lines;
}

QByteArray itemLine(const Setting& setting) {
    return QByteArray("<item oor:path=\"") + kScripting + "\"><prop oor:name=\"" + setting.name +
           "\" oor:op=\"fuse\">" +
           (setting.value ? QByteArray("<value>") + setting.value + "</value>"
                          : QByteArray("<value/>")) +
           "</prop></item>";
}

bool isOurs(const QByteArray& line) {
    if (line.contains(QByteArray("oor:path=\"") + kSubstitution))
        return true;
    if (!line.contains(QByteArray("oor:path=\"") + kScripting + '"'))
        return false;
    for (const Setting& setting : kSettings) {
        if (line.contains(QByteArray("oor:name=\"") + setting.name + '"'))
            return true;
    }
    return false;
}

} // namespace

QByteArray OfficeProfile::withSecuritySettings(const QByteArray& existing) {
    QByteArrayList lines;
    const qsizetype end = existing.lastIndexOf("</oor:items>");
    if (end >= 0 && existing.contains("<oor:items")) {
        // The office writes one item per line.
        for (const QByteArray& line : existing.left(end).split('\n')) {
            if (!isOurs(line))
                lines.append(line);
        }
        while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
            lines.removeLast();
    } else {
        lines = {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                 "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                 "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                 "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"};
    }
    for (const Setting& setting : kSettings)
        lines.append(itemLine(setting));
    lines.append(fontLines());
    lines.append("</oor:items>\n");
    return lines.join('\n');
}

bool OfficeProfile::installed(const char* family) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcObjectSet* properties = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, properties);
    const bool found = fonts && fonts->nfont > 0;
    if (fonts)
        FcFontSetDestroy(fonts);
    FcObjectSetDestroy(properties);
    FcPatternDestroy(pattern);
    return found;
}

void OfficeProfile::prepare(const QString& profileDir) {
    const QString folder = profileDir + QStringLiteral("/user");
    const QString file = folder + QStringLiteral("/registrymodifications.xcu");
    try {
        PosixFiles::makePath(folder);
        const QByteArray existing =
            PosixFiles::exists(file) ? PosixFiles::readAll(file) : QByteArray();
        const QByteArray wanted = withSecuritySettings(existing);
        if (wanted != existing)
            PosixFiles::writeAll(file, wanted);
    } catch (const FileError& error) {
        throw AutomationError(
            QStringLiteral("LibreOffice could not be started: its settings could not be "
                           "written to '%1' (%2)")
                .arg(file, error.message()));
    }
}
