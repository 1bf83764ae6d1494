#include "app/conversion/SearchTerms.h"

namespace {

// Marks go with accents; a soft hyphen or a zero-width space may sit
// inside a word ("Instand&shy;haltung") without splitting it.
bool isDropped(char32_t c) {
    if (c == 0xAD || (c >= 0x200B && c <= 0x200D) || c == 0x2060 || c == 0xFEFF)
        return true;
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

void appendCodePoint(QString* out, char32_t c) {
    if (QChar::requiresSurrogates(c)) {
        out->append(QChar(QChar::highSurrogate(c)));
        out->append(QChar(QChar::lowSurrogate(c)));
    } else {
        out->append(QChar(char16_t(c)));
    }
}

QString fromCodePoints(const char32_t* begin, qsizetype count) {
    QString text;
    for (qsizetype i = 0; i < count; ++i)
        appendCodePoint(&text, begin[i]);
    return text;
}

} // namespace

bool SearchTerms::isIdeographic(char32_t c) {
    // The long vowel mark is "common" script but only ever written in kana.
    if (c == 0x30FC)
        return true;
    switch (QChar::script(c)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
        return true;
    default:
        return false;
    }
}

QString SearchTerms::fold(const QString& text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    for (char32_t c : decomposed.toUcs4())
        if (!isDropped(c))
            appendCodePoint(&out, c);
    // Script lower-cases a word's last sigma to the final form; one form
    // for both keeps a typed word equal to the indexed one.
    return out.toLower().replace(QChar(0x03C2), QChar(0x03C3));
}

QStringList SearchTerms::terms(const QString& text) {
    const QList<uint> points = fold(text).toUcs4();
    QStringList result;
    qsizetype i = 0;
    const qsizetype n = points.size();
    std::vector<char32_t> run;
    while (i < n) {
        if (!QChar::isLetterOrNumber(points[i])) {
            ++i;
            continue;
        }
        const bool ideographic = isIdeographic(points[i]);
        run.clear();
        while (i < n && QChar::isLetterOrNumber(points[i]) &&
               isIdeographic(points[i]) == ideographic) {
            run.push_back(points[i]);
            ++i;
        }
        if (!ideographic) {
            result.append(
                fromCodePoints(run.data(), std::min<qsizetype>(run.size(), kMaxWordLength)));
            continue;
        }
        for (size_t k = 0; k + 1 < run.size(); ++k)
            result.append(fromCodePoints(run.data() + k, 2));
        result.append(fromCodePoints(run.data() + run.size() - 1, 1));
    }
    return result;
}
