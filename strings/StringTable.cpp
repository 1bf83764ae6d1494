#include "strings/StringTable.h"

#include <array>

namespace {

constexpr int kOffsets = 13;
using Block = std::array<const char*, kOffsets>;

// Offsets 1 to 13 of each block; offset 13 is filled in from the banner key.
constexpr Block kSimplifiedChinese = {
    "Deckvane",  "1.0",  "开始",     "保存目录:",    "处理完成!", "打开PowerPoint出错!",
    "压缩完成:", "删除", "全部删除", "清除系统垃圾", "成功",      "失败",
    "cn"};
constexpr Block kEnglish = {"Deckvane",
                            "1.0",
                            "Begin",
                            "Save Path",
                            "OK",
                            "Can't Open PowerPoint",
                            "compress Over",
                            "Del",
                            "Del All ",
                            "Clear System",
                            "OK",
                            "Defeated",
                            "en"};
constexpr Block kTraditionalChinese = {
    "Deckvane",  "1.0",  "開始",     "保存目錄:",    "處理完成!", "打開PowerPoint出錯!",
    "壓縮完成:", "刪除", "全部刪除", "清除系統垃圾", "成功",      "失敗",
    "cn"};
constexpr Block kJapanese = {"Deckvane",
                             "1.0",
                             "開始",
                             "ディレクトリを保存します:",
                             "完成を処理します!",
                             "Can't Open PowerPoint",
                             "圧縮の完了：",
                             "削除",
                             "すべて削除",
                             "系統削除",
                             "成功",
                             "失敗",
                             "jp"};

const Block* blockFor(int base) {
    switch (base) {
    case StringTable::kSimplifiedChinese:
        return &kSimplifiedChinese;
    case StringTable::kEnglish:
        return &kEnglish;
    case StringTable::kTraditionalChinese:
        return &kTraditionalChinese;
    case StringTable::kJapanese:
        return &kJapanese;
    default:
        return nullptr;
    }
}

} // namespace

int StringTable::languageBaseFor(std::uint16_t windowsLanguageId) {
    switch (windowsLanguageId) {
    case 2052:
        return kSimplifiedChinese;
    case 1028:
        return kTraditionalChinese;
    case 1041:
        return kJapanese;
    default:
        return kEnglish;
    }
}

QString StringTable::text(int id) {
    switch (id) {
    case kMenuMinimize:
        return QStringLiteral("Mi&nimize");
    case kMenuMaximizeRestore:
        return QStringLiteral("Ma&ximize/Restore");
    case kMenuClose:
        return QStringLiteral("&Close");
    default:
        break;
    }
    const int offset = id % 10000;
    const Block* block = blockFor(id - offset);
    if (!block || offset < 1 || offset > kOffsets)
        return QString();
    const QString entry = QString::fromUtf8((*block)[offset - 1]);
    if (offset == kBannerAddress)
        return QStringLiteral("http://%1/pro/htm.htm?id=58&name=Deckvane&L=%2")
            .arg(QLatin1String(kPublisherHost), entry);
    return entry;
}
