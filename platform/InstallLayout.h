#pragma once

#include <QString>

// Where an installed copy keeps its data: beside its programs, under the
// prefix it was installed to, whichever prefix that was. Programs live in
// <prefix>/bin (what people start) or <prefix>/lib/deckvane (helpers kept off
// the PATH); data lives in <prefix>/share/deckvane.
class InstallLayout {
public:
    // The helper folder below the prefix, beside bin/.
    static constexpr char kHelperFolder[] = "lib/deckvane";

    // The prefix a program in programDir was installed under, without a
    // trailing "/"; fallbackPrefix when programDir is no program folder of an
    // installation (a build tree, a test folder).
    static QString prefixOf(const QString& programDir, const QString& fallbackPrefix);

    // <prefix>/share/deckvane/ of the running program, ending in "/".
    static QString dataDirSlash();
};
