#include "app/TFMain.h"
#include "app/LayoutReader.h"
#include "app/controls/TDirectoryListBox.h"
#include "app/controls/TDriveComboBox.h"
#include "app/controls/TEdit.h"
#include "app/controls/TLabel.h"
#include "app/controls/TMemo.h"
#include "app/controls/TStatusBar.h"
#include "app/controls/TWebBrowser.h"
#include "skin/controls/TskButton.h"
#include "skin/controls/TskImagePanel.h"
#include "skin/controls/TskRadioButton.h"
#include "skin/form/TskForm.h"
#include "skin/form/TskTitleBar.h"
#include "skin/form/TskTitleBarButtons.h"
#include "skin/form/TskTitleBarSections.h"
#include "tests/app/banner/FakeBannerBrowser.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

std::unique_ptr<TFMain> makeWindow(std::uint16_t languageId, FakeBannerBrowser** browser) {
    TWebBrowser::setBrowserFactory([browser](QWidget* parent) {
        auto* fake = new FakeBannerBrowser(parent);
        *browser = fake;
        return fake;
    });
    auto window = std::make_unique<TFMain>();
    window->languageIdSource = [languageId] { return languageId; };
    window->loadLayout();
    TWebBrowser::setBrowserFactory({});
    return window;
}

// The banner's browser is created once the window has been painted.
FakeBannerBrowser* showUntilBannerExists(TFMain& window, FakeBannerBrowser*& browser) {
    window.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return browser != nullptr; }, 5000));
    return browser;
}

} // namespace

TEST(TFMain, StoredLayoutBuildsEveryControlWhereItBelongs) {
    FakeBannerBrowser* browser = nullptr;
    auto w = makeWindow(1033, &browser);
    EXPECT_EQ(w->objectName(), "FMain");
    EXPECT_EQ(w->pos(), QPoint(216, 120));
    // The skinned form's 3-pixel ring around the stored client area.
    EXPECT_EQ(w->size(), QSize(831, 482));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    struct Expect {
        QWidget* control;
        const char* className;
        const char* parent;
        QRect geometry;
    };
    for (const Expect& e : {
             Expect{w->skForm1, "TskForm", "FMain", QRect(3, 3, 825, 476)},
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
    w->resize(1006, 606);
    EXPECT_EQ(w->StatusBar1->geometry(), QRect(0, 581, 1000, 19));
    EXPECT_EQ(w->Memo1->geometry(), QRect(273, 173, 727, 408));
}

TEST(TFMain, StoredSkinnedFormKeepsItsValuesAndCaptionFont) {
    FakeBannerBrowser* browser = nullptr;
    auto w = makeWindow(1033, &browser);
    TskForm* form = w->skForm1;
    EXPECT_EQ(form->UIStyle(), TskUIStyle::MacOS);
    EXPECT_EQ(form->BorderColor(), 0x7F7F7F);
    EXPECT_EQ(form->BorderWidth(), 1);
    EXPECT_EQ(form->Color(), 0xE7E7E7);
    EXPECT_EQ(form->MenuBarHeight(), 22);
    EXPECT_EQ(form->RoundCorner(), 0);
    EXPECT_EQ(form->Version(), "5.8");
    EXPECT_EQ(form->Menu(), nullptr);
    ASSERT_NE(form->TitleBar(), nullptr);
    EXPECT_EQ(form->TitleBar()->height(), 20);
    // The stored buttons and sections, in stored order.
    TskTitleBarButtons* buttons = form->TitleBar()->Buttons();
    ASSERT_EQ(buttons->Count(), 4);
    EXPECT_EQ(buttons->Items(0)->ButtonType(), TskTitleBarButton::skControlBox);
    EXPECT_EQ(buttons->Items(3)->ButtonType(), TskTitleBarButton::skMin);
    EXPECT_EQ(buttons->Items(1)->PicNormal().size(), QSize(17, 17));
    ASSERT_EQ(form->TitleBar()->Sections()->Count(), 3);
    EXPECT_EQ(form->TitleBar()->Sections()->Items(2)->Align(), TskTitleBarSection::skClient);
    EXPECT_FALSE(form->TitleBar()->SectionPicture(0).isNull());
    // The caption font is the title bar's; the controls keep the window's.
    EXPECT_EQ(form->Font().family(), "Tahoma");
    EXPECT_TRUE(form->Font().bold());
    EXPECT_EQ(form->Font().pixelSize(), 11);
    EXPECT_FALSE(w->Memo1->font().bold());
    EXPECT_NE(w->Memo1->font().family(), "Tahoma");
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
        FakeBannerBrowser* browser = nullptr;
        auto w = makeWindow(c.id, &browser);
        EXPECT_EQ(w->skButton2->Caption(), QString::fromUtf8(c.button)) << c.id;
        EXPECT_EQ(w->Label1->text(), QString::fromUtf8(c.label)) << c.id;
        EXPECT_EQ(w->windowTitle(), "Deckvane");
        EXPECT_EQ(w->skForm1->Caption(), "Deckvane");
        // The address waits for the browser, which comes after the first paint.
        EXPECT_EQ(browser, nullptr);
        EXPECT_TRUE(w->WebBrowser2->Busy());
        ASSERT_NE(showUntilBannerExists(*w, browser), nullptr);
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
    FakeBannerBrowser* browser = nullptr;
    auto w = makeWindow(1033, &browser);
    ASSERT_NE(showUntilBannerExists(*w, browser), nullptr);
    browser->complete(true); // a frame finished, the page still loads
    browser->complete(true);
    EXPECT_EQ(browser->scrollBarsHidden, 0);
    browser->complete(false);
    EXPECT_EQ(browser->scrollBarsHidden, 1);
    // A page the user navigates to later gets the same treatment.
    browser->complete(false);
    EXPECT_EQ(browser->scrollBarsHidden, 2);
}

TEST(TFMain, ChoosingAnotherDriveMovesTheFolderListAndTheSameDriveKeepsIt) {
    FakeBannerBrowser* browser = nullptr;
    auto w = makeWindow(1033, &browser);
    // Two folders stand in for two mounted drives.
    QTemporaryDir root;
    const QString first = root.filePath("first"), second = root.filePath("second");
    ASSERT_TRUE(QDir().mkpath(first + "/deep/er"));
    ASSERT_TRUE(QDir().mkpath(second + "/other"));
    const QList<MountTable::Drive> drives = {
        {first, "one", "/dev/sdx1", "ext4", MountTable::Kind::Fixed},
        {second, "two", "/dev/sdy1", "ext4", MountTable::Kind::Fixed}};
    w->DirectoryListBox1->setDrives(drives);
    ASSERT_TRUE(w->DirectoryListBox1->setDirectory(first + "/deep/er"));
    w->DriveComboBox1->setDrives(drives);
    w->DriveComboBox1->setDrive(first);
    ASSERT_EQ(w->DriveComboBox1->drive(), first);

    // The user picks the other drive in the combo: the list moves to its root.
    w->DriveComboBox1->setCurrentIndex(w->DriveComboBox1->findData(second));
    EXPECT_EQ(w->DirectoryListBox1->directory(), second);
    ASSERT_TRUE(w->DirectoryListBox1->setDirectory(second + "/other"));
    // Back on the first drive, the folder last open there.
    w->DriveComboBox1->setCurrentIndex(w->DriveComboBox1->findData(first));
    EXPECT_EQ(w->DirectoryListBox1->directory(), first + "/deep/er");
    // The drive already chosen changes nothing, even with the list moved on.
    ASSERT_TRUE(w->DirectoryListBox1->setDirectory(first + "/deep"));
    w->DriveComboBox1->setCurrentIndex(w->DriveComboBox1->findData(first));
    w->DriveComboBox1Change();
    EXPECT_EQ(w->DirectoryListBox1->directory(), first + "/deep");
    QDir::setCurrent(QDir::tempPath());
}

TEST(TFMain, SkinnedControlsKeepTheirStoredLookOverTheFormBackground) {
    FakeBannerBrowser* browser = nullptr;
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
    // form's own background (the MacOS pattern, tiled from the form's
    // top-left corner) shows.
    const QImage radio = w->skRadioButton1->grab().toImage();
    const QImage pattern = LoadBuiltinImage(QStringLiteral("MACOS_FORM_BACKGROUND"));
    for (const QPoint at : {QPoint(0, 0), QPoint(radio.width() - 1, radio.height() - 1)}) {
        const QPoint onForm = w->skRadioButton1->mapTo(w->skForm1, at);
        EXPECT_EQ(radio.pixel(at) & 0xFFFFFF,
                  pattern.pixel(onForm.x() % pattern.width(), onForm.y() % pattern.height()) &
                      0xFFFFFF)
            << at.x() << "," << at.y();
    }
}

TEST(TFMain, TabInTheLogMovesOnAlongTheStoredTabOrder) {
    FakeBannerBrowser* browser = nullptr;
    auto w = makeWindow(1033, &browser);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    w->Memo1->setFocus();
    w->Memo1->setPlainText("log");
    w->Memo1->moveCursor(QTextCursor::End);
    QTest::keyClick(w->Memo1, Qt::Key_Tab);
    EXPECT_EQ(w->Memo1->toPlainText(), "log");
    // The banner (TabOrder 3) takes no focus here, so the folder list
    // (TabOrder 4) is next after the log (TabOrder 2).
    EXPECT_EQ(QApplication::focusWidget(), w->DirectoryListBox1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), w->Memo1);
}

TEST(TFMain, ALayoutWithoutAControlNamesTheFileItCameFrom) {
    QTemporaryDir dir;
    const QString file = dir.filePath("bare.layout");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("object FMain: TFMain\nend\n");
    out.close();
    TFMain window;
    try {
        window.loadLayout(file);
        ADD_FAILURE() << "a layout without skForm1 loaded";
    } catch (const LayoutError& error) {
        EXPECT_EQ(error.file, file);
        EXPECT_TRUE(error.message.contains("skForm1")) << error.message.toStdString();
    }
}
