#include "app/conversion/ArchiveNames.h"

const QStringList& ArchiveNames::all() {
    static const QStringList names{QLatin1String(kIndexPage),  QLatin1String(kScript),
                                   QLatin1String(kStyle),      QLatin1String(kSearchData),
                                   QLatin1String(kIndexLock),  QLatin1String(kClaims),
                                   QLatin1String(kWatchStatus)};
    return names;
}

bool ArchiveNames::isReserved(const QString& name) {
    qsizetype end = name.size();
    while (end > 0 && name.at(end - 1) == QLatin1Char('_'))
        --end;
    return all().contains(name.left(end));
}
