#include "TitleBarTestSupport.h"
#include "skin/form/TskTitleBar.h"

#include <QCloseEvent>
#include <gtest/gtest.h>

using namespace titlebartest;

namespace {

struct BarOnWindow {
    QWidget window;
    TskTitleBar* bar = new TskTitleBar(&window);
    explicit BarOnWindow(TskUIStyle style) {
        window.resize(300, 80);
        bar->SetUIStyle(style);
    }
    TskTitleBarButton* button(TskTitleBarBtnType type) const {
        for (int i = 0; i < bar->Buttons()->Count(); ++i)
            if (bar->Buttons()->Items(i)->ButtonType() == type)
                return bar->Buttons()->Items(i);
        return nullptr;
    }
};

} // namespace

TEST(TskTitleBarButton, NewButtonIsAVisibleCustomButtonWithoutPictures) {
    TskTitleBarButtons buttons;
    TskTitleBarButton* button = buttons.Add();
    EXPECT_EQ(button->ButtonType(), TskTitleBarButton::skCustom);
    EXPECT_TRUE(button->Visible());
    EXPECT_FALSE(button->Transparent());
    EXPECT_EQ(button->Top(), 2);
    EXPECT_TRUE(button->PicNormal().isNull());
    EXPECT_TRUE(button->PicMouseOn().isNull());
    EXPECT_TRUE(button->PicMouseDown().isNull());
    EXPECT_EQ(buttons.Items(1), nullptr);
    EXPECT_EQ(buttons.Items(-1), nullptr);
}

TEST(TskTitleBarButton, PicturesAreCutFromTheStripByType) {
    QImage strip;
    LoadBuiltinBitmap(TskUIStyle::MacOS, ThemeKey::TitleBarButtonImage, &strip);
    ASSERT_EQ(strip.size(), QSize(306, 17));
    BarOnWindow w(TskUIStyle::MacOS);
    TskTitleBarButton* close = w.button(TskTitleBarButton::skClose);
    // Frame 16 of the MacOS strip: columns 255..271.
    EXPECT_TRUE(SameImage(close->PicNormal(), strip.copy(255, 0, 17, 17)));
    EXPECT_TRUE(SameImage(close->PicMouseOn(), strip.copy(272, 0, 17, 17)));
    EXPECT_TRUE(SameImage(close->PicMouseDown(), strip.copy(289, 0, 17, 17)));
    EXPECT_TRUE(SameImage(w.button(TskTitleBarButton::skControlBox)->PicNormal(),
                          StripFrame(TskUIStyle::MacOS, 1)));
    EXPECT_TRUE(SameImage(w.button(TskTitleBarButton::skMin)->PicMouseDown(),
                          StripFrame(TskUIStyle::MacOS, 15)));
    EXPECT_EQ(close->Top(), 4);
    EXPECT_FALSE(close->Transparent());

    // WinXP's strip is 378 wide: 21-pixel frames, and its own button row.
    w.bar->SetUIStyle(TskUIStyle::WinXP);
    EXPECT_EQ(close->PicNormal().size(), QSize(21, 21));
    EXPECT_TRUE(SameImage(close->PicNormal(), StripFrame(TskUIStyle::WinXP, 16)));
    EXPECT_EQ(close->Top(), 5);
    // Protein and BlueGlass buttons are drawn with their corner colour left out.
    w.bar->SetUIStyle(TskUIStyle::Protein);
    EXPECT_TRUE(close->Transparent());
}

TEST(TskTitleBarButton, CustomAndHelpButtonsFrames) {
    BarOnWindow w(TskUIStyle::DeepBlue);
    TskTitleBarButton* help = w.bar->Buttons()->Add();
    TskTitleBarButton* custom = w.bar->Buttons()->Add();
    custom->SetPicNormal(QImage(5, 5, QImage::Format_RGB32));
    help->SetButtonType(TskTitleBarButton::skHelp);
    EXPECT_TRUE(SameImage(help->PicNormal(), StripFrame(TskUIStyle::DeepBlue, 4)));
    // A custom button keeps the pictures its user gave it across style changes.
    w.bar->SetUIStyle(TskUIStyle::BlueGlass);
    EXPECT_EQ(custom->PicNormal().size(), QSize(5, 5));
    EXPECT_TRUE(custom->Transparent());
}

TEST(TskTitleBarButton, MaxButtonShowsRestoreFramesWhileMaximized) {
    BarOnWindow w(TskUIStyle::MacOS);
    TskTitleBarButton* max = w.button(TskTitleBarButton::skMax);
    EXPECT_TRUE(SameImage(max->PicNormal(), StripFrame(TskUIStyle::MacOS, 7)));
    EXPECT_TRUE(SameImage(max->PicMouseDown(), StripFrame(TskUIStyle::MacOS, 9)));

    max->DoClick();
    EXPECT_TRUE(w.window.isMaximized());
    EXPECT_TRUE(SameImage(max->PicNormal(), StripFrame(TskUIStyle::MacOS, 10)));
    EXPECT_TRUE(SameImage(max->PicMouseOn(), StripFrame(TskUIStyle::MacOS, 11)));
    EXPECT_TRUE(SameImage(max->PicMouseDown(), StripFrame(TskUIStyle::MacOS, 12)));
    // A style change while maximized keeps the restore look.
    w.bar->SetUIStyle(TskUIStyle::MacOS);
    EXPECT_TRUE(SameImage(max->PicNormal(), StripFrame(TskUIStyle::MacOS, 10)));

    max->DoClick();
    EXPECT_FALSE(w.window.isMaximized());
    EXPECT_TRUE(SameImage(max->PicNormal(), StripFrame(TskUIStyle::MacOS, 7)));

    // Maximized by other means (the window system): the pictures follow.
    w.window.setWindowState(Qt::WindowMaximized);
    EXPECT_TRUE(SameImage(max->PicNormal(), StripFrame(TskUIStyle::MacOS, 10)));
}

TEST(TskTitleBarButton, OnlyOneControlBoxIsAccepted) {
    BarOnWindow w(TskUIStyle::DeepBlue);
    MessageCapture capture;
    TskTitleBarButton* extra = w.bar->Buttons()->Add();
    extra->SetButtonType(TskTitleBarButton::skClose);
    extra->SetButtonType(TskTitleBarButton::skControlBox);
    ASSERT_EQ(capture.messages.size(), 1);
    EXPECT_EQ(capture.messages[0].kind, MessageBoxSeam::Kind::Error);
    EXPECT_EQ(capture.messages[0].text,
              "Sorry, only one button's ButtonType property can be \"skControlBox\"");
    EXPECT_EQ(extra->ButtonType(), TskTitleBarButton::skClose);

    // Even the control box itself is refused, and stays as it is.
    TskTitleBarButton* box = w.button(TskTitleBarButton::skControlBox);
    box->SetButtonType(TskTitleBarButton::skControlBox);
    EXPECT_EQ(capture.messages.size(), 2);
    EXPECT_EQ(box->ButtonType(), TskTitleBarButton::skControlBox);

    // Through the property, as a stored layout sets it.
    EXPECT_TRUE(extra->setProperty("ButtonType", QStringLiteral("skMin")));
    EXPECT_EQ(extra->ButtonType(), TskTitleBarButton::skMin);
}

TEST(TskTitleBarButton, AssignCopiesEverything) {
    BarOnWindow w(TskUIStyle::WinXP);
    QMenu menu;
    TskTitleBarButton* box = w.button(TskTitleBarButton::skControlBox);
    box->SetControlBoxMenu(&menu);
    TskTitleBarButtons copy;
    copy.Assign(*w.bar->Buttons());
    ASSERT_EQ(copy.Count(), 4);
    EXPECT_EQ(copy.Items(0)->ButtonType(), TskTitleBarButton::skControlBox);
    EXPECT_EQ(copy.Items(0)->ControlBoxMenu(), &menu);
    EXPECT_EQ(copy.Items(3)->ButtonType(), TskTitleBarButton::skMin);
    EXPECT_TRUE(SameImage(copy.Items(1)->PicNormal(), StripFrame(TskUIStyle::WinXP, 16)));
    EXPECT_EQ(copy.Items(1)->Top(), 5);
}

TEST(TskTitleBarSection, OnlyOneClientSectionAndItAlwaysStretches) {
    TskTitleBarSections sections;
    TskTitleBarSection* left = sections.Add();
    TskTitleBarSection* client = sections.Add();
    EXPECT_EQ(left->Width(), 10);
    EXPECT_EQ(left->Align(), TskTitleBarSection::skLeft);
    EXPECT_FALSE(left->Stretch());

    client->SetAlign(TskTitleBarSection::skClient);
    EXPECT_TRUE(client->Stretch());
    client->SetStretch(false);
    EXPECT_TRUE(client->Stretch());

    MessageCapture capture;
    left->SetAlign(TskTitleBarSection::skClient);
    ASSERT_EQ(capture.messages.size(), 1);
    EXPECT_EQ(capture.messages[0].text,
              "Sorry, only one section's Align property can be \"skClient\"");
    EXPECT_EQ(left->Align(), TskTitleBarSection::skLeft);
    EXPECT_FALSE(left->Stretch());
    client->SetAlign(TskTitleBarSection::skClient);
    EXPECT_EQ(capture.messages.size(), 2);
    EXPECT_EQ(client->Align(), TskTitleBarSection::skClient);
}

TEST(TskTitleBarSection, AutoSizeTakesThePictureWidth) {
    TskTitleBarSections sections;
    TskTitleBarSection* section = sections.Add();
    section->SetPicture(QImage(40, 20, QImage::Format_RGB32));
    EXPECT_EQ(section->Width(), 10); // no auto size yet
    section->SetAutoSize(false);     // whatever the value, the picture's width
    EXPECT_EQ(section->Width(), 40);
    section->SetWidth(7);
    section->SetAutoSize(true);
    section->SetPicture(QImage(33, 20, QImage::Format_RGB32));
    EXPECT_EQ(section->Width(), 33);

    TskTitleBarSections copy;
    copy.Assign(sections);
    ASSERT_EQ(copy.Count(), 1);
    EXPECT_EQ(copy.Items(0)->Width(), 33);
    EXPECT_TRUE(copy.Items(0)->AutoSize());
    EXPECT_EQ(copy.Items(0)->Picture().size(), QSize(33, 20));
    // An empty picture is a picture all the same: it is 0 wide. AutoSize
    // looks for a graphic and finds none, so the width stays.
    section->SetPicture(QImage());
    EXPECT_EQ(section->Width(), 0);
    section->SetWidth(12);
    section->SetAutoSize(true);
    EXPECT_EQ(section->Width(), 12);
}
