#include "app/automation/DeckTitle.h"

#include "app/automation/HtmlEntities.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <initializer_list>

namespace {

// Case, accents and punctuation do not tell a placeholder apart:
// "PowerPoint-Präsentation" and "powerpoint prasentation" are one.
QString folded(const QString& text) {
    QString out;
    for (const QChar c : text.normalized(QString::NormalizationForm_KD)) {
        if (c.isMark())
            continue;
        out += c.isLetterOrNumber() ? c.toLower() : QChar(u' ');
    }
    return out.simplified();
}

QSet<QString> foldedAll(std::initializer_list<const char*> texts) {
    QSet<QString> out;
    for (const char* text : texts)
        out.insert(folded(QString::fromUtf8(text)));
    return out;
}

// What the office calls a slide in the languages decks are commonly
// written in, followed by its number.
const QStringList& slideWords() {
    static const QStringList words = [] {
        QStringList list;
        for (const QString& word : foldedAll(
                 {"Slide",    "Folie",  "Diapositive", "Diapositiva",  "Diapositivo", "Dia",
                  "Dias",     "Slajd",  "Слайд",       "Snímek",       "Snímka",      "Bild",
                  "Lysbilde", "Slayt",  "Diapozitiv",  "Diapozitivul", "Διαφάνεια",   "スライド",
                  "幻灯片",   "投影片", "슬라이드",    "Page",         "Seite"}))
            list.append(QRegularExpression::escape(word));
        return list;
    }();
    return words;
}

// The office's name for a new deck, which stays its title until someone
// gives it one.
const QSet<QString>& defaultTitles() {
    static const QSet<QString> titles = foldedAll({
        "PowerPoint Presentation",
        "Microsoft PowerPoint Presentation",
        "PowerPoint-Präsentation",
        "Présentation PowerPoint",
        "Presentación de PowerPoint",
        "Presentazione di PowerPoint",
        "Apresentação do PowerPoint",
        "Apresentação de PowerPoint",
        "PowerPoint-presentatie",
        "PowerPoint-presentation",
        "PowerPoint-præsentation",
        "PowerPoint-presentasjon",
        "PowerPoint-esitys",
        "PowerPoint-bemutató",
        "Prezentacja programu PowerPoint",
        "Prezentace aplikace PowerPoint",
        "Презентация PowerPoint",
        "Презентація PowerPoint",
        "PowerPoint Sunusu",
        "Παρουσίαση του PowerPoint",
        "PowerPoint プレゼンテーション",
        "PowerPoint 演示文稿",
        "PowerPoint 簡報",
        "PowerPoint 프레젠테이션",
        "Untitled",
        "Unbenannt",
        "Sans titre",
        "Sin título",
        "Senza titolo",
        "Sem título",
        "Naamloos",
        "Bez tytułu",
        "Без названия",
        "無題",
        "无标题",
        "未命名",
        "제목 없음",
    });
    return titles;
}

// A new, unsaved deck's name: "Presentation1", "Präsentation 2".
const QSet<QString>& newDeckWords() {
    static const QSet<QString> words =
        foldedAll({"Presentation", "Präsentation", "Présentation", "Presentación", "Presentazione",
                   "Apresentação", "Presentatie", "Prezentacja", "Презентация",
                   "プレゼンテーション", "演示文稿", "簡報"});
    return words;
}

} // namespace

QString DeckTitle::of(const QByteArray& pageHead, const QString& deckFileName) {
    const QString title = titleElement(pageHead);
    return isPlaceholder(title) ? fromFileName(deckFileName) : title;
}

QString DeckTitle::titleElement(const QByteArray& html) {
    static const QRegularExpression element(QStringLiteral("<title[^>]*>(.*?)</title"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = element.match(QString::fromUtf8(html));
    if (!match.hasMatch())
        return {};
    return HtmlEntities::decode(match.capturedView(1)).simplified();
}

bool DeckTitle::isPlaceholder(const QString& title) {
    const QString text = folded(title);
    if (text.isEmpty() || defaultTitles().contains(text))
        return true;
    static const QRegularExpression numbered(
        QStringLiteral("^(?:%1) ?[0-9]+$").arg(slideWords().join(QLatin1Char('|'))));
    if (numbered.match(text).hasMatch())
        return true;
    static const QRegularExpression newDeck(QStringLiteral("^(.+?) ?[0-9]+$"));
    const QRegularExpressionMatch match = newDeck.match(text);
    return match.hasMatch() && (newDeckWords().contains(match.captured(1)) ||
                                defaultTitles().contains(match.captured(1)));
}

QString DeckTitle::fromFileName(const QString& fileName) {
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    const QString name = fileName.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}
