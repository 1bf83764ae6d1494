#include "platform/InstallLayout.h"

#include <QCoreApplication>
#include <QDir>

#ifndef DECKVANE_INSTALL_PREFIX
#define DECKVANE_INSTALL_PREFIX "/usr/local"
#endif

QString InstallLayout::prefixOf(const QString& programDir, const QString& fallbackPrefix) {
    const QString dir = QDir::cleanPath(programDir);
    for (const QString programFolder :
         {QStringLiteral("/bin"), QLatin1Char('/') + QLatin1String(kHelperFolder)}) {
        if (dir.endsWith(programFolder)) {
            const QString prefix = dir.chopped(programFolder.size());
            // A program installed straight under "/" (as /bin) has the root as prefix.
            return prefix.isEmpty() ? QStringLiteral("/") : prefix;
        }
    }
    return QDir::cleanPath(fallbackPrefix);
}

QString InstallLayout::dataDirSlash() {
    QString prefix =
        prefixOf(QCoreApplication::applicationDirPath(), QStringLiteral(DECKVANE_INSTALL_PREFIX));
    if (!prefix.endsWith(QLatin1Char('/')))
        prefix += QLatin1Char('/');
    return prefix + QStringLiteral("share/deckvane/");
}
