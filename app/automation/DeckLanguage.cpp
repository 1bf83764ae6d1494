#include "app/automation/DeckLanguage.h"

#include <QHash>
#include <QStringList>
#include <array>

namespace {

struct Words {
    const char* language;
    const char* list; // frequent words that are rare in the others
};

constexpr std::array<Words, 7> kWords{{
    {"en", "the and of to is in for with that this are on be by from it as or not"},
    {"de", "der die und das ist nicht mit den für von auf ein eine dem des zu im sich auch"},
    {"fr", "le les et des est une pour dans que qui du sur pas au avec ce sont aux"},
    {"es", "el los las y que del en por para con una es se su como al más"},
    {"pt", "o os e que do da em para com uma não dos das por no na ao"},
    {"it", "il di che per un una del della sono non con gli nel alla è"},
    {"nl", "het een en van niet dat op te voor met zijn die ook naar bij"},
}};

} // namespace

QString DeckLanguage::guess(const QString& text) {
    int kana = 0;
    int han = 0;
    int hangul = 0;
    int greek = 0;
    int hebrew = 0;
    int thai = 0;
    int latin = 0;
    for (const char32_t c : text.toUcs4()) {
        if ((c >= 0x3040 && c <= 0x30ff) || (c >= 0x31f0 && c <= 0x31ff))
            ++kana;
        else if ((c >= 0x4e00 && c <= 0x9fff) || (c >= 0x3400 && c <= 0x4dbf))
            ++han;
        else if (c >= 0xac00 && c <= 0xd7af)
            ++hangul;
        else if (c >= 0x0370 && c <= 0x03ff)
            ++greek;
        else if (c >= 0x0590 && c <= 0x05ff)
            ++hebrew;
        else if (c >= 0x0e00 && c <= 0x0e7f)
            ++thai;
        else if ((c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= 0xc0 && c <= 0x24f))
            ++latin;
    }
    // Japanese writes Han characters too, never without kana.
    const int cjk = kana + han + hangul;
    if (cjk > latin / 4 && cjk > 0)
        return kana > 0 && kana * 10 >= han ? QStringLiteral("ja")
               : hangul >= han              ? QStringLiteral("ko")
                                            : QStringLiteral("zh");
    for (const auto& [count, language] :
         {std::pair{greek, "el"}, std::pair{hebrew, "he"}, std::pair{thai, "th"}}) {
        if (count > latin)
            return QString::fromLatin1(language);
    }

    static const QHash<QString, QList<int>> words = [] {
        QHash<QString, QList<int>> map;
        for (int i = 0; i < int(kWords.size()); ++i)
            for (const QString& word : QString::fromUtf8(kWords[i].list).split(QLatin1Char(' ')))
                map[word].append(i);
        return map;
    }();
    std::array<int, kWords.size()> hits{};
    QString word;
    const auto count = [&] {
        for (const int language : words.value(word.toLower()))
            ++hits[size_t(language)];
        word.clear();
    };
    for (const QChar c : text) {
        if (c.isLetter())
            word += c;
        else
            count();
    }
    count();
    size_t best = 0;
    size_t second = 1;
    for (size_t i = 1; i < hits.size(); ++i) {
        if (hits[i] > hits[best]) {
            second = best;
            best = i;
        } else if (i != best && hits[i] > hits[second]) {
            second = i;
        }
    }
    if (hits[best] >= 3 && hits[best] * 2 >= hits[second] * 3)
        return QString::fromLatin1(kWords[best].language);
    return QStringLiteral("und");
}
