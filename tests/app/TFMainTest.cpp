#include "app/TFMain.h"
#include "app/automation/BannerBrowser.h"
#include "app/controls/TDirectoryListBox.h"
#include "app/controls/TDriveComboBox.h"
#include "app/controls/TEdit.h"
#include "app/controls/TLabel.h"
#include "app/controls/TMemo.h"
#include "app/controls/TStatusBar.h"
#include "app/controls/TWebBrowser.h"
#include "app/standins/TskForm.h"
#include "skin/TskButton.h"
#include "skin/TskImagePanel.h"
#include "skin/TskRadioButton.h"

#include <QDir>
#include <QLabel>
#include <gtest/gtest.h>
#include <memory>

namespace {

class FakeBrowser : public BannerBrowser {
public:
    explicit FakeBrowser(QWidget* parent) : BannerBrowser(parent), m_view(new QLabel(parent)) {}
    QWidget* view() override { return m_view; }
    void navigate(const QString& address) override { addresses.append(address); }
    bool busy() const override { return isBusy; }
    void hideScrollBars() override { ++scrollBarsHidden; }
    void complete(bool stillBusy) {
        isBusy = stillBusy;
        emit documentComplete(addresses.value(0));
    }
    QLabel* m_view;
    QStringList addresses;
    bool isBusy = true;
    int scrollBarsHidden = 0;
};

std::unique_ptr<TFMain> makeWindow(std::uint16_t languageId, FakeBrowser** browser) {
    TWebBrowser::setBrowserFactory([browser](QWidget* parent) {
        auto* fake = new FakeBrowser(parent);
        *browser = fake;
        return fake;
    });
    auto window = std::make_unique<TFMain>();
    window->languageIdSource = [languageId] { return languageId; };
    window->loadLayout();
    TWebBrowser::setBrowserFactory({});
    return window;
}

} // namespace

TEST(TFMain, StoredLayoutBuildsEveryControlWhereItBelongs) {
    FakeBrowser* browser = nullptr;
    auto w = makeWindow(1033, &browser);
    EXPECT_EQ(w->objectName(), "FMain");
    EXPECT_EQ(w->pos(), QPoint(216, 120));
    EXPECT_EQ(w->size(), QSize(825, 476));
    EXPECT_EQ(w->minimumSize(), QSize(130, 50));
    struct Expect {
        QWidget* control;
        const char* className;
        const char* parent;
        QRect geometry;
    };
    for (const Expect& e : {
             Expect{w->skForm1, "TskForm", "FMain", QRect(0, 0, 825, 476)},
             Expect{w->skImagePanel2, "TskImagePanel", "skForm1", QRect(0, 20, 825, 101)},
             Expect{w->WebBrowser2, "TWebBrowser", "skImagePanel2", QRect(0, 0, 825, 101)},
             Expect{w->skImagePanel1, "TskImagePanel", "skForm1", QRect(0, 121, 825, 52)},
             Expect{w->DriveComboBox1, "TDriveComboBox", "skImagePanel1", QRect(8, 17, 145, 19)},
             Expect{w->eFileType, "TEdit", "skImagePanel1", QRect(160, 16, 113, 21)},
             Expect{w->ePath, "TEdit", "skImagePanel1", QRect(360, 16, 113, 21)},
             Expect{w->skButton2, "TskButton", "skImagePanel1", QRect(503, 13, 68, 27)},
             Expect{w->DirectoryListBox1, "TDirectoryListBox", "skForm1", QRect(0, 173, 273, 284)},
             Expect{w->Memo1, "TMemo", "skForm1", QRect(273, 173, 552, 284)},
             Expect{w->StatusBar1, "TStatusBar", "skForm1", QRect(0, 457, 825, 19)},
         }) {
        EXPECT_STREQ(e.control->metaObject()->className(), e.className);
        EXPECT_EQ(e.control->parentWidget()->objectName(), e.parent) << e.className;
        EXPECT_EQ(e.control->geometry(), e.geometry) << e.className;
    }
    EXPECT_EQ(w->eFileType->text(), "*.ppt,*.pps");
    EXPECT_EQ(w->ePath->text(), QDir::homePath() + "/html");
    EXPECT_TRUE(w->skRadioButton1->Checked());
    EXPECT_EQ(w->skRadioButton1->Caption(), "html");
    EXPECT_TRUE(w->StatusBar1->simpleText().isEmpty());
    EXPECT_TRUE(w->Memo1->lines().isEmpty());
    EXPECT_EQ(w->skForm1->property("BorderColor").toInt(), 8355711);
    EXPECT_EQ(w->skForm1->property("Color").toInt(), 15198183);
    EXPECT_EQ(w->skForm1->property("UIStyle").toString(), "MacOS");
    EXPECT_EQ(w->skButton2->property("UIStyle").toString(), "DeepBlue");
    EXPECT_EQ(w->skButton2->property("MouseContinuouslyDownInterval").toInt(), 100);
    // Resizing keeps the edges: banner and input row on top, folders left.
    w->show();
    w->resize(1000, 600);
    EXPECT_EQ(w->StatusBar1->geometry(), QRect(0, 581, 1000, 19));
    EXPECT_EQ(w->Memo1->geometry(), QRect(273, 173, 727, 408));
}

TEST(TFMain, FormCreateLocalizesCaptionsAndBanner) {
    struct Case {
        std::uint16_t id;
        const char* button;
        const char* label;
        const char* key;
    };
    for (const Case& c :
         {Case{2052, "开始", "保存目录:", "cn"}, Case{1028, "開始", "保存目錄:", "cn"},
          Case{1041, "開始", "ディレクトリを保存します:", "jp"},
          Case{1033, "Begin", "Save Path", "en"}, Case{3076, "Begin", "Save Path", "en"}}) {
        FakeBrowser* browser = nullptr;
        auto w = makeWindow(c.id, &browser);
        EXPECT_EQ(w->skButton2->Caption(), QString::fromUtf8(c.button)) << c.id;
        EXPECT_EQ(w->Label1->text(), QString::fromUtf8(c.label)) << c.id;
        EXPECT_EQ(w->windowTitle(), "Deckvane");
        EXPECT_EQ(w->skForm1->caption(), "Deckvane");
        ASSERT_NE(browser, nullptr);
        ASSERT_EQ(browser->addresses.size(), 1);
        EXPECT_TRUE(browser->addresses[0].endsWith(
            QStringLiteral("/pro/htm.htm?id=58&name=Deckvane&L=") + c.key))
            << qPrintable(browser->addresses[0]);
        // Only the listed captions change; the rest keep their stored texts.
        EXPECT_EQ(w->eFileType->text(), "*.ppt,*.pps");
        EXPECT_EQ(w->skRadioButton1->Caption(), "html");
    }
}

TEST(TFMain, BannerScrollBarsGoOnlyWhenTheBrowserIsNoLongerBusy) {
    FakeBrowser* browser = nullptr;
    auto w = makeWindow(1033, &browser);
    browser->complete(true); // a frame finished, the page still loads
    browser->complete(true);
    EXPECT_EQ(browser->scrollBarsHidden, 0);
    browser->complete(false);
    EXPECT_EQ(browser->scrollBarsHidden, 1);
    // A page the user navigates to later gets the same treatment.
    browser->complete(false);
    EXPECT_EQ(browser->scrollBarsHidden, 2);
}

TEST(TFMain, DriveChangeToTheSameDriveKeepsTheFolderList) {
    FakeBrowser* browser = nullptr;
    auto w = makeWindow(1033, &browser);
    const QString before = w->DirectoryListBox1->directory();
    w->DirectoryListBox1->setDrive(w->DirectoryListBox1->drive());
    w->DriveComboBox1Change();
    EXPECT_EQ(w->DirectoryListBox1->directory(), before);
}

TEST(TFMain, SkinnedControlsKeepTheirStoredLookOverTheFormBackground) {
    FakeBrowser* browser = nullptr;
    auto w = makeWindow(1033, &browser);
    EXPECT_EQ(w->skButton2->UIStyle(), TskUIStyle::DeepBlue);
    EXPECT_FALSE(w->skButton2->Transparent());
    EXPECT_EQ(w->skButton2->size(), QSize(68, 27));
    EXPECT_EQ(w->skRadioButton1->UIStyle(), TskUIStyle::MacOS);
    EXPECT_TRUE(w->skRadioButton1->Transparent());
    EXPECT_TRUE(w->skRadioButton1->TabStop());
    EXPECT_TRUE(w->skImagePanel1->Transparent());
    EXPECT_FALSE(w->skImagePanel2->Transparent());
    // The input row is see-through: around the radio button the skinned
    // form's own colour (0xE7E7E7) shows.
    const QImage radio = w->skRadioButton1->grab().toImage();
    EXPECT_EQ(radio.pixel(0, 0) & 0xFFFFFF, 0xE7E7E7u);
    EXPECT_EQ(radio.pixel(radio.width() - 1, radio.height() - 1) & 0xFFFFFF, 0xE7E7E7u);
}
