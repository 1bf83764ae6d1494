#include "platform/SystemLanguage.h"

#include <QRegularExpression>
#include <cstdlib>
#include <utility>

namespace {

struct LocaleId {
    const char* name;
    std::uint16_t id;
};

// Language + territory pairs first; a bare language falls back to the first
// entry of that language, which is its most common Windows id.
constexpr LocaleId kLocaleIds[] = {
    {"zh_CN", 2052}, {"zh_TW", 1028}, {"zh_HK", 3076}, {"zh_SG", 4100},  {"zh_MO", 5124},
    {"ja_JP", 1041}, {"en_US", 1033}, {"en_GB", 2057}, {"en_AU", 3081},  {"en_CA", 4105},
    {"en_NZ", 5129}, {"en_IE", 6153}, {"en_ZA", 7177}, {"en_IN", 16393}, {"ko_KR", 1042},
    {"de_DE", 1031}, {"de_AT", 3079}, {"de_CH", 2055}, {"fr_FR", 1036},  {"fr_BE", 2060},
    {"fr_CA", 3084}, {"fr_CH", 4108}, {"es_ES", 3082}, {"es_MX", 2058},  {"it_IT", 1040},
    {"pt_BR", 1046}, {"pt_PT", 2070}, {"nl_NL", 1043}, {"nl_BE", 2067},  {"ru_RU", 1049},
    {"pl_PL", 1045}, {"sv_SE", 1053}, {"da_DK", 1030}, {"nb_NO", 1044},  {"fi_FI", 1035},
    {"cs_CZ", 1029}, {"hu_HU", 1038}, {"tr_TR", 1055}, {"el_GR", 1032},  {"uk_UA", 1058},
    {"ar_SA", 1025}, {"ar_EG", 3073}, {"he_IL", 1037}, {"fa_IR", 1065},  {"ur_PK", 1056},
    {"th_TH", 1054}, {"vi_VN", 1066}, {"id_ID", 1057}, {"hi_IN", 1081},
};

std::pair<QString, QString> splitLocale(const QString& locale) {
    QString base = locale;
    const qsizetype cut = base.indexOf(QRegularExpression(QStringLiteral("[.@]")));
    if (cut >= 0)
        base.truncate(cut);
    base.replace(QLatin1Char('-'), QLatin1Char('_'));
    const qsizetype underscore = base.indexOf(QLatin1Char('_'));
    if (underscore < 0)
        return {base.toLower(), QString()};
    return {base.left(underscore).toLower(), base.mid(underscore + 1).toUpper()};
}

} // namespace

QString SystemLanguage::localeName(const Getenv& getenv) {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = getenv(var);
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

std::uint16_t SystemLanguage::languageIdFromLocale(const QString& locale) {
    const auto [language, territory] = splitLocale(locale);
    if (language.isEmpty() || language == QLatin1String("c") || language == QLatin1String("posix"))
        return 1033;
    const QString full = language + QLatin1Char('_') + territory;
    for (const LocaleId& entry : kLocaleIds)
        if (full == QLatin1String(entry.name))
            return entry.id;
    for (const LocaleId& entry : kLocaleIds)
        if (QLatin1String(entry.name).startsWith(language + QLatin1Char('_')))
            return entry.id;
    return 1033;
}

bool SystemLanguage::isMiddleEastLocale(const QString& locale) {
    const QString language = splitLocale(locale).first;
    return language == QLatin1String("ar") || language == QLatin1String("he") ||
           language == QLatin1String("iw") || language == QLatin1String("fa") ||
           language == QLatin1String("ur");
}

QString SystemLanguage::processLocaleName() {
    return localeName([](const char* name) { return QString::fromLocal8Bit(std::getenv(name)); });
}

std::uint16_t SystemLanguage::defaultLanguageId() {
    return languageIdFromLocale(processLocaleName());
}

bool SystemLanguage::isMiddleEast() {
    return isMiddleEastLocale(processLocaleName());
}
