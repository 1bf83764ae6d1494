#pragma once

#include <QString>
#include <cstdint>

// The user-interface texts in four languages. Each language owns a block of
// ids starting at its base; an id is base + offset. Unknown ids give "".
class StringTable {
public:
    static constexpr int kSimplifiedChinese = 10000;
    static constexpr int kEnglish = 20000;
    static constexpr int kTraditionalChinese = 30000;
    static constexpr int kJapanese = 40000;

    // Offsets the program reads.
    static constexpr int kCaption = 1;
    static constexpr int kStartButton = 3;
    static constexpr int kSavePathLabel = 4;
    static constexpr int kDoneSuffix = 5;
    static constexpr int kBannerAddress = 13;

    // Beyond the table's first 13 texts per language: the failure texts
    // Deckvane writes itself (log lines and error boxes), from this offset
    // on, in the same four languages. Their English texts are what the
    // conversion writes; "%1", "%2" stand for what it fills in.
    static constexpr int kFirstFailureText = 101;
    static int failureTextCount();
    // The log line's text for a link in the tree that leads out of it.
    static constexpr int kLinkLeavesTree = kFirstFailureText;

    // Captions of the title bar's system menu.
    static constexpr int kMenuMinimize = 65249;
    static constexpr int kMenuMaximizeRestore = 65250;
    static constexpr int kMenuClose = 65251;

    // The publisher's site that serves the banner page.
    static constexpr const char* kPublisherHost = "deckvane.example";

    // Only the exact ids of Simplified Chinese (2052), Traditional Chinese
    // (1028) and Japanese (1041) pick their blocks; every other language,
    // Chinese variants of other regions included, gets English.
    static int languageBaseFor(std::uint16_t windowsLanguageId);

    static QString text(int id);

    // A failure text written in English, in the language of Base: the
    // failure text it is, with what was filled in kept. A text that is no
    // failure text of the table stays as it is.
    static QString failureText(int languageBase, const QString& english);
};
