#pragma once

#include <QString>
#include <cstdint>
#include <functional>

// The system's default language, expressed as a Windows language id so the
// string table can keep its language blocks keyed the way they always were.
class SystemLanguage {
public:
    using Getenv = std::function<QString(const char*)>;

    // The locale name in force for messages: LC_ALL, else LC_MESSAGES, else LANG.
    static QString localeName(const Getenv& getenv);

    // "zh_CN.UTF-8" -> 2052, "ja_JP" -> 1041, "C", "POSIX" or empty -> 1033.
    // A locale not in the table gets its language's primary id, or 1033.
    static std::uint16_t languageIdFromLocale(const QString& locale);

    // True for Arabic, Hebrew, Persian and Urdu, which lay out right to left.
    static bool isMiddleEastLocale(const QString& locale);

    // The same two answers for the running process.
    static std::uint16_t defaultLanguageId();
    static bool isMiddleEast();

private:
    static QString processLocaleName();
};
