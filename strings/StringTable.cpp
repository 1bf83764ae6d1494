#include "strings/StringTable.h"

#include <QRegularExpression>

#include <array>
#include <vector>

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

// Added to the table beyond its original 52 texts (offsets 1 to 13 in each
// of four languages, above): the failure texts Deckvane writes itself, at
// offsets from kFirstFailureText on, so that a Chinese or Japanese log and
// its error boxes are written in one language. English first, as the
// conversion writes it.
struct FailureText {
    const char* english;
    const char* simplifiedChinese;
    const char* traditionalChinese;
    const char* japanese;
};
constexpr FailureText kFailureTexts[] = {
    {"The link leads out of the folder (to %1) and is not followed",
     "该链接指向文件夹以外（%1），未跟随", "該連結指向資料夾以外（%1），未跟隨",
     "このリンクはフォルダーの外（%1）を指しているため、たどりません"},
    {"Not a regular file", "不是普通文件", "不是一般檔案", "通常のファイルではありません"},
    {"The link leads nowhere", "链接指向的目标不存在", "連結指向的目標不存在",
     "リンク先が存在しません"},
    {"Cannot read the folder: %1", "无法读取文件夹：%1", "無法讀取資料夾：%1",
     "フォルダーを読み取れません：%1"},
    {"Cannot read the file: %1", "无法读取文件：%1", "無法讀取檔案：%1",
     "ファイルを読み取れません：%1"},
    {"Unknown error", "未知错误", "未知錯誤", "不明なエラー"},
    {"LibreOffice gave no answer within %1 seconds and was stopped",
     "LibreOffice 在 %1 秒内没有响应，已被停止", "LibreOffice 在 %1 秒內沒有回應，已被停止",
     "LibreOffice が %1 秒以内に応答しなかったため停止しました"},
    {"The file is empty", "文件为空", "檔案是空的", "ファイルが空です"},
    {"Not a presentation LibreOffice can read", "不是 LibreOffice 能读取的演示文稿",
     "不是 LibreOffice 能讀取的簡報", "LibreOffice が読み込めるプレゼンテーションではありません"},
    {"The file is not a presentation", "该文件不是演示文稿", "該檔案不是簡報",
     "このファイルはプレゼンテーションではありません"},
    {"LibreOffice ended while working on this file", "LibreOffice 在处理此文件时意外退出",
     "LibreOffice 在處理此檔案時意外結束", "このファイルの処理中に LibreOffice が終了しました"},
    {"LibreOffice could not write the page (its error %1)", "LibreOffice 无法写入网页（错误 %1）",
     "LibreOffice 無法寫入網頁（錯誤 %1）",
     "LibreOffice がページを書き出せませんでした（エラー %1）"},
    {"LibreOffice reported an error without a description", "LibreOffice 报告了一个没有说明的错误",
     "LibreOffice 回報了一個沒有說明的錯誤", "LibreOffice が説明のないエラーを報告しました"},
    {"Cannot reach '%1'", "无法访问“%1”", "無法存取「%1」", "「%1」にアクセスできません"},
    {"Not a usable path: '%1'", "不是可用的路径：“%1”", "不是可用的路徑：「%1」",
     "使用できないパスです：「%1」"},
    {"The run was interrupted", "转换已被中断", "轉換已被中斷", "変換が中断されました"},
    {"Cannot write in the output folder '%1': %2", "无法写入输出文件夹“%1”：%2",
     "無法寫入輸出資料夾「%1」：%2", "出力フォルダー「%1」に書き込めません：%2"},
    {"The output folder's disk is full: the page was not written",
     "输出文件夹所在的磁盘已满：网页未写入", "輸出資料夾所在的磁碟已滿：網頁未寫入",
     "出力フォルダーのディスクがいっぱいです：ページは書き出されませんでした"},
    {"LibreOffice wrote an incomplete page (%1 is missing or cut short)",
     "LibreOffice 写出的网页不完整（%1 缺失或被截断）",
     "LibreOffice 寫出的網頁不完整（%1 遺失或被截斷）",
     "LibreOffice が書き出したページは不完全です（%1 がないか途中で切れています）"},
    {"LibreOffice wrote no page", "LibreOffice 没有写出网页", "LibreOffice 沒有寫出網頁",
     "LibreOffice はページを書き出しませんでした"},
    {"'%1' is a symbolic link; links in the output folder are never followed",
     "“%1”是符号链接；输出文件夹中的链接一律不跟随",
     "「%1」是符號連結；輸出資料夾中的連結一律不跟隨",
     "「%1」はシンボリックリンクです。出力フォルダー内のリンクはたどりません"},
    {"LibreOffice is not installed: %1 was not found", "未安装 LibreOffice：找不到 %1",
     "未安裝 LibreOffice：找不到 %1",
     "LibreOffice がインストールされていません：%1 が見つかりません"},
    {"LibreOffice cannot run as user id %1: the id has no entry in the user database "
     "(/etc/passwd), and LibreOffice needs one for its pipe",
     "LibreOffice 无法以用户 ID %1 运行：用户数据库（/etc/passwd）中没有该 ID，而 LibreOffice "
     "的管道需要它",
     "LibreOffice 無法以使用者 ID %1 執行：使用者資料庫（/etc/passwd）中沒有該 ID，而 "
     "LibreOffice 的管道需要它",
     "LibreOffice はユーザー ID %1 では動作できません：ユーザーデータベース（/etc/passwd）に"
     "この ID の項目がなく、LibreOffice のパイプにはそれが必要です"},
    {"LibreOffice could not be started: %1 ended at once", "无法启动 LibreOffice：%1 立即退出了",
     "無法啟動 LibreOffice：%1 立即結束了",
     "LibreOffice を起動できませんでした：%1 がすぐに終了しました"},
    {"LibreOffice did not answer within %1 seconds of starting",
     "LibreOffice 启动后 %1 秒内没有响应", "LibreOffice 啟動後 %1 秒內沒有回應",
     "LibreOffice が起動後 %1 秒以内に応答しませんでした"},
    {"LibreOffice could not be started: all %1 office profiles under '%2' are in use or cannot "
     "be written",
     "无法启动 LibreOffice：“%2”下的全部 %1 个配置文件都在使用中或无法写入",
     "無法啟動 LibreOffice：「%2」下的全部 %1 個設定檔都在使用中或無法寫入",
     "LibreOffice を起動できませんでした：「%2」にある %1 個のプロファイルがすべて使用中か"
     "書き込めません"},
    {"LibreOffice could not be started: no random pipe name could be made",
     "无法启动 LibreOffice：无法生成随机管道名", "無法啟動 LibreOffice：無法產生隨機管道名稱",
     "LibreOffice を起動できませんでした：ランダムなパイプ名を作れませんでした"},
    {"LibreOffice could not be started: no private folder in %1 (%2)",
     "无法启动 LibreOffice：无法在 %1 中创建私有文件夹（%2）",
     "無法啟動 LibreOffice：無法在 %1 中建立私有資料夾（%2）",
     "LibreOffice を起動できませんでした：%1 に専用フォルダーを作れません（%2）"},
    {"LibreOffice could not be started: the pipe %1 cannot be made (%2)",
     "无法启动 LibreOffice：无法创建管道 %1（%2）", "無法啟動 LibreOffice：無法建立管道 %1（%2）",
     "LibreOffice を起動できませんでした：パイプ %1 を作れません（%2）"},
    {"LibreOffice could not be started: its settings could not be written to '%1' (%2)",
     "无法启动 LibreOffice：无法将设置写入“%1”（%2）",
     "無法啟動 LibreOffice：無法將設定寫入「%1」（%2）",
     "LibreOffice を起動できませんでした：設定を「%1」に書き込めません（%2）"},
    {"Could not start %1: %2", "无法启动 %1：%2", "無法啟動 %1：%2",
     "%1 を起動できませんでした：%2"},
    {"The UNO runtime of LibreOffice could not be set up: %1",
     "无法建立 LibreOffice 的 UNO 运行环境：%1", "無法建立 LibreOffice 的 UNO 執行環境：%1",
     "LibreOffice の UNO ランタイムを準備できませんでした：%1"},
    {"No LibreOffice listens on pipe '%1'", "没有 LibreOffice 在管道“%1”上监听",
     "沒有 LibreOffice 在管道「%1」上監聽",
     "パイプ「%1」で待ち受けている LibreOffice はありません"},
    {"The pipe '%1' belongs to another user and was not used", "管道“%1”属于其他用户，未被使用",
     "管道「%1」屬於其他使用者，未被使用",
     "パイプ「%1」は別のユーザーのものなので使いませんでした"},
    {"LibreOffice on pipe '%1' gave no answer within %2 seconds",
     "管道“%1”上的 LibreOffice 在 %2 秒内没有响应", "管道「%1」上的 LibreOffice 在 %2 秒內沒有回應",
     "パイプ「%1」の LibreOffice が %2 秒以内に応答しませんでした"},
    {"No LibreOffice answers on pipe '%1': %2", "管道“%1”上没有 LibreOffice 响应：%2",
     "管道「%1」上沒有 LibreOffice 回應：%2", "パイプ「%1」で LibreOffice が応答しません：%2"},
    {"Cannot write '%1': %2", "无法写入“%1”：%2", "無法寫入「%1」：%2",
     "「%1」に書き込めません：%2"},
    {"Cannot read '%1': %2", "无法读取“%1”：%2", "無法讀取「%1」：%2",
     "「%1」を読み取れません：%2"},
    {"Cannot list '%1': %2", "无法列出“%1”的内容：%2", "無法列出「%1」的內容：%2",
     "「%1」の一覧を取得できません：%2"},
    {"Cannot make the folder '%1': %2", "无法创建文件夹“%1”：%2", "無法建立資料夾「%1」：%2",
     "フォルダー「%1」を作成できません：%2"},
    {"Cannot move '%1': %2", "无法移动“%1”：%2", "無法移動「%1」：%2",
     "「%1」を移動できません：%2"},
    {"Cannot move into place '%1': %2", "无法将“%1”移到位：%2", "無法將「%1」移到定位：%2",
     "「%1」を所定の場所に移動できません：%2"},
    {"Cannot open the folder '%1': %2", "无法打开文件夹“%1”：%2", "無法開啟資料夾「%1」：%2",
     "フォルダー「%1」を開けません：%2"},
};
constexpr int kFailureTextCount = int(std::size(kFailureTexts));

const char* failureTextIn(const FailureText& t, int base) {
    switch (base) {
    case StringTable::kSimplifiedChinese:
        return t.simplifiedChinese;
    case StringTable::kTraditionalChinese:
        return t.traditionalChinese;
    case StringTable::kJapanese:
        return t.japanese;
    default:
        return t.english;
    }
}

// An English failure text as a pattern: its words exactly, each "%n" any
// text (captured), the whole line.
struct FailurePattern {
    QRegularExpression pattern;
    std::vector<int> places; // the n of each capture, in order
};

const std::vector<FailurePattern>& failurePatterns() {
    static const std::vector<FailurePattern> patterns = [] {
        std::vector<FailurePattern> list;
        static const QRegularExpression place(QStringLiteral("%([1-9])"));
        for (const FailureText& t : kFailureTexts) {
            const QString english = QString::fromUtf8(t.english);
            QString regex = QStringLiteral("\\A");
            std::vector<int> places;
            qsizetype at = 0;
            for (auto m = place.globalMatch(english); m.hasNext();) {
                const QRegularExpressionMatch found = m.next();
                regex += QRegularExpression::escape(english.mid(at, found.capturedStart() - at));
                regex += QStringLiteral("(.*)");
                places.push_back(found.captured(1).toInt());
                at = found.capturedEnd();
            }
            regex += QRegularExpression::escape(english.mid(at)) + QStringLiteral("\\z");
            list.push_back(
                {QRegularExpression(regex, QRegularExpression::DotMatchesEverythingOption),
                 places});
        }
        return list;
    }();
    return patterns;
}

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
    if (!block)
        return QString();
    if (offset >= kFirstFailureText && offset < kFirstFailureText + kFailureTextCount)
        return QString::fromUtf8(
            failureTextIn(kFailureTexts[offset - kFirstFailureText], id - offset));
    if (offset < 1 || offset > kOffsets)
        return QString();
    const QString entry = QString::fromUtf8((*block)[offset - 1]);
    if (offset == kBannerAddress)
        return QStringLiteral("http://%1/pro/htm.htm?id=58&name=Deckvane&L=%2")
            .arg(QLatin1String(kPublisherHost), entry);
    return entry;
}

int StringTable::failureTextCount() {
    return kFailureTextCount;
}

QString StringTable::failureText(int languageBase, const QString& english) {
    if (!blockFor(languageBase) || languageBase == kEnglish)
        return english;
    const std::vector<FailurePattern>& patterns = failurePatterns();
    for (int i = 0; i < kFailureTextCount; ++i) {
        const QRegularExpressionMatch match = patterns[size_t(i)].pattern.match(english);
        if (!match.hasMatch())
            continue;
        const QString text = QString::fromUtf8(failureTextIn(kFailureTexts[i], languageBase));
        // Filled in one pass, so that what was filled in is never read again.
        QStringList filled(10);
        for (size_t k = 0; k < patterns[size_t(i)].places.size(); ++k)
            filled[patterns[size_t(i)].places[k]] = match.captured(int(k) + 1);
        QString result;
        for (qsizetype at = 0; at < text.size(); ++at) {
            if (text[at] == QLatin1Char('%') && at + 1 < text.size() && text[at + 1].isDigit() &&
                text[at + 1] != QLatin1Char('0')) {
                result += filled[text[at + 1].digitValue()];
                ++at;
            } else {
                result += text[at];
            }
        }
        return result;
    }
    return english;
}
