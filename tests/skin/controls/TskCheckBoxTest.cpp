#include "ControlTestSupport.h"

#include "component/ComponentState.h"
#include "component/PropertyByName.h"
#include "skin/controls/TskCheckBox.h"
#include "skin/controls/TskImagePanel.h"
#include "skin/controls/TskRadioButton.h"
#include "skin/draw/SkinGeometry.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace controltest;

namespace {

QImage frameOf(TskUIStyle style, TskThemeKey key, int index) {
    QImage frame;
    GetBuiltinBitmap(style, key, &frame, 4, index);
    return frame;
}

} // namespace

TEST(TskRadioButton, CheckingOneUnchecksItsGroupUnderTheSameParentOnly) {
    QWidget form;
    auto* panelA = new TskImagePanel(&form);
    auto* panelB = new TskImagePanel(&form);
    TskRadioButton* group[3];
    for (auto*& r : group)
        r = new TskRadioButton(panelA);
    auto* otherIndex = new TskRadioButton(panelA);
    otherIndex->SetGroupIndex(1);
    auto* otherPanel = new TskRadioButton(panelB);
    for (auto* r : {group[0], group[1], otherIndex, otherPanel})
        r->SetChecked(true);
    QSignalSpy clicks0(group[0], &TCustomControl::OnClick);
    QSignalSpy clicks1(group[1], &TCustomControl::OnClick);
    QSignalSpy clicks2(group[2], &TCustomControl::OnClick);

    group[2]->SetChecked(true);
    EXPECT_FALSE(group[0]->Checked());
    EXPECT_FALSE(group[1]->Checked());
    EXPECT_TRUE(group[2]->Checked());
    EXPECT_TRUE(otherIndex->Checked());
    EXPECT_TRUE(otherPanel->Checked());
    EXPECT_EQ(clicks0.count() + clicks1.count(), 0);
    EXPECT_EQ(clicks2.count(), 1);

    // Clicking the checked one changes and reports nothing.
    group[2]->Click();
    EXPECT_TRUE(group[2]->Checked());
    EXPECT_EQ(clicks2.count(), 1);
    // A click checks an unchecked one.
    group[0]->Click();
    EXPECT_TRUE(group[0]->Checked());
    EXPECT_FALSE(group[2]->Checked());
    EXPECT_EQ(clicks0.count(), 1);
}

TEST(TskCheckBox, OnClickOnlyForRealChangesAndNeverWhileLoading) {
    QWidget panel;
    auto* box = new TskCheckBox(&panel);
    QSignalSpy clicks(box, &TCustomControl::OnClick);
    box->SetChecked(false);
    EXPECT_EQ(clicks.count(), 0);
    box->SetChecked(true);
    EXPECT_EQ(clicks.count(), 1);
    box->SetChecked(true);
    EXPECT_EQ(clicks.count(), 1);

    // While loading nothing fires, yet a radio group still ends with the
    // last one checked.
    auto* first = new TskRadioButton(&panel);
    auto* second = new TskRadioButton(&panel);
    QSignalSpy firstClicks(first, &TCustomControl::OnClick);
    QSignalSpy secondClicks(second, &TCustomControl::OnClick);
    for (QObject* o :
         {static_cast<QObject*>(box), static_cast<QObject*>(first), static_cast<QObject*>(second)})
        ComponentState::setLoading(o, true);
    box->SetChecked(false);
    first->SetChecked(true);
    second->SetChecked(true);
    EXPECT_EQ(clicks.count() + firstClicks.count() + secondClicks.count(), 1);
    EXPECT_FALSE(first->Checked());
    EXPECT_TRUE(second->Checked());
}

TEST(TskCheckBox, GrayedStateUnchecks) {
    TskCheckBox box;
    box.SetChecked(true);
    ASSERT_TRUE(SetPropertyByName(&box, "State", QStringLiteral("cbGrayed")));
    EXPECT_FALSE(box.Checked());
    EXPECT_EQ(box.property("State").toString(), "cbUnchecked");
    box.SetState(TCheckBoxState::cbChecked);
    EXPECT_TRUE(box.Checked());
    EXPECT_EQ(box.State(), TCheckBoxState::cbChecked);
}

TEST(TskCheckBox, SpaceTogglesAFocusedCheckBoxButNotARadioButton) {
    QWidget form;
    auto* box = new TskCheckBox(&form);
    auto* radio = new TskRadioButton(&form);
    radio->move(0, 40);
    ASSERT_TRUE(activate(&form));
    box->setFocus();
    QApplication::processEvents();
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_TRUE(box->Checked());
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_FALSE(box->Checked());
    box->setEnabled(false);
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_FALSE(box->Checked());

    radio->setFocus();
    QApplication::processEvents();
    QTest::keyClick(radio, Qt::Key_Space);
    EXPECT_FALSE(radio->Checked());
    // An accelerator checks it and moves the focus there.
    box->setEnabled(true);
    box->setFocus();
    radio->SetCaption(QStringLiteral("&html"));
    QTest::keyClick(box, Qt::Key_H, Qt::AltModifier);
    EXPECT_TRUE(radio->Checked());
    EXPECT_TRUE(radio->hasFocus());
}

TEST(TskCheckBox, DoubleClickTogglesACheckBoxTwiceAndChecksARadioOnce) {
    QWidget form;
    auto* box = new TskCheckBox(&form);
    auto* radio = new TskRadioButton(&form);
    QSignalSpy boxClicks(box, &TCustomControl::OnClick);
    QSignalSpy radioClicks(radio, &TCustomControl::OnClick);
    QSignalSpy radioDouble(radio, &TCustomControl::OnDblClick);
    doubleClick(box, QPoint(3, 3));
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(boxClicks.count(), 2);
    doubleClick(radio, QPoint(3, 3));
    EXPECT_TRUE(radio->Checked());
    EXPECT_EQ(radioClicks.count(), 1);
    EXPECT_EQ(radioDouble.count(), 1);
    // A press that ends outside the control is no click.
    sendMouse(box, QEvent::MouseButtonPress, QPoint(3, 3));
    sendMouse(box, QEvent::MouseButtonRelease, QPoint(500, 3));
    EXPECT_FALSE(box->Checked());
}

TEST(TskCheckBox, BoxFrameByCheckedAndEnabled) {
    EXPECT_EQ(TskCheckBox::BoxFrameIndex(true, true), 1);
    EXPECT_EQ(TskCheckBox::BoxFrameIndex(false, true), 2);
    EXPECT_EQ(TskCheckBox::BoxFrameIndex(true, false), 3);
    EXPECT_EQ(TskCheckBox::BoxFrameIndex(false, false), 4);

    TskCheckBox box;
    box.SetUIStyle(TskUIStyle::WinXP);
    box.SetCaption(QStringLiteral("html"));
    auto boxPixels = [&] {
        const QImage image = shot(&box);
        const int top = (box.height() - 13) / 2;
        return image.copy(1, top, 13, 13);
    };
    EXPECT_EQ(boxPixels(), frameOf(TskUIStyle::WinXP, ThemeKey::CheckBoxImage, 2)
                               .convertToFormat(QImage::Format_RGB32));
    box.SetChecked(true);
    box.setEnabled(false);
    EXPECT_EQ(boxPixels(), frameOf(TskUIStyle::WinXP, ThemeKey::CheckBoxImage, 3)
                               .convertToFormat(QImage::Format_RGB32));
    // Disabled, the caption is still drawn in the font's colour, not greyed.
    QPalette palette = box.palette();
    palette.setColor(QPalette::Active, box.foregroundRole(), QColor(200, 0, 0));
    palette.setColor(QPalette::Disabled, box.foregroundRole(), QColor(0, 0, 200));
    box.setPalette(palette);
    box.SetCaption(QStringLiteral("WWWW"));
    const QImage disabled = shot(&box);
    EXPECT_GT(countColor(disabled, qRgb(200, 0, 0)), 4);
    EXPECT_EQ(countColor(disabled, qRgb(0, 0, 200)), 0);
}

TEST(TskCheckBox, AutoSizeMakesRoomForTheBoxAndTheCaption) {
    EXPECT_EQ(TskCheckBox::AutoSizeFor(QSize(16, 17), 13, 20), QSize(44, 21));
    EXPECT_EQ(TskCheckBox::AutoSizeFor(QSize(16, 17), 18, 20), QSize(44, 24));
    EXPECT_EQ(TskCheckBox::AutoSizeFor(QSize(0, 0), 13, 20), QSize(28, 19));

    TskRadioButton radio;
    radio.SetUIStyle(TskUIStyle::MacOS);
    radio.SetCaption(QStringLiteral("html"));
    const QFontMetrics metrics(radio.font());
    EXPECT_EQ(radio.width(), 16 + metrics.horizontalAdvance(QStringLiteral("html")) + 8);
    EXPECT_EQ(radio.height(), qMax(metrics.height() + 2, 17) + 4);
    radio.SetAutoSize(false);
    radio.resize(200, 40);
    radio.SetCaption(QStringLiteral("a longer caption"));
    EXPECT_EQ(radio.size(), QSize(200, 40));
}

TEST(TskCheckBox, RightToLeftOnlyOnAMiddleEastLocale) {
    const auto ltr = TskCheckBox::LayOut(QSize(100, 21), QSize(13, 13), 13, false);
    EXPECT_EQ(ltr.image, QPoint(1, 4));
    EXPECT_EQ(ltr.caption, RectLTRB(17, 4, 100, 21));
    EXPECT_EQ(ltr.focus, RectLTRB(16, 4, 100, 19));
    const auto rtl = TskCheckBox::LayOut(QSize(100, 21), QSize(13, 13), 13, true);
    EXPECT_EQ(rtl.image, QPoint(86, 4));
    EXPECT_EQ(rtl.caption, RectLTRB(0, 4, 83, 21));
    EXPECT_EQ(rtl.focus, RectLTRB(0, 4, 85, 19));

    TskCheckBox box;
    box.SetBiDiMode(TBiDiMode::bdRightToLeft);
    TCustomControl::SetMiddleEastOverride(0);
    EXPECT_FALSE(box.UseRightToLeftLayout());
    TCustomControl::SetMiddleEastOverride(1);
    EXPECT_TRUE(box.UseRightToLeftLayout());
    box.SetBiDiMode(TBiDiMode::bdLeftToRight);
    EXPECT_FALSE(box.UseRightToLeftLayout());
    TCustomControl::SetMiddleEastOverride(-1);
}

TEST(TskRadioButton, TransparentRadioOnATransparentPanelShowsWhatLiesBehindBoth) {
    SolidWidget ground(QColor(0, 200, 0));
    ground.resize(200, 100);
    auto* panel = new TskImagePanel(&ground);
    panel->setGeometry(20, 20, 150, 60);
    panel->SetTransparent(true);
    auto* radio = new TskRadioButton(panel);
    radio->move(10, 10);
    radio->SetUIStyle(TskUIStyle::MacOS);
    radio->SetTransparent(true);
    const QImage image = shot(radio);
    const int boxTop = (radio->height() - 17) / 2;
    EXPECT_EQ(rgb(image, 0, 0), 0x00C800u);
    EXPECT_EQ(rgb(image, 1, boxTop), 0x00C800u); // the key-coloured corner of the box
    EXPECT_EQ(rgb(image, radio->width() - 1, radio->height() - 1), 0x00C800u);
    EXPECT_NE(rgb(image, 1 + 8, boxTop + 8), 0x00C800u); // the box itself

    // On an opaque panel the panel's own colour shows instead.
    panel->SetTransparent(false);
    panel->SetColor(0x123456);
    EXPECT_EQ(rgb(shot(radio), 0, 0), 0x563412u);
}
