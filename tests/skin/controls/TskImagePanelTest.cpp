#include "ControlTestSupport.h"

#include "skin/controls/TskImagePanel.h"
#include "skin/draw/TskColor.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace controltest;

namespace {

// A 16 x 16 picture: red top-left pixel, blue elsewhere, green lower-left.
QImage markedPicture() {
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(QColor(0, 0, 255));
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(0, 15, qRgb(0, 255, 0));
    return picture;
}

} // namespace

TEST(TskImagePanel, TiledPictureStartsAtEveryMultipleOfItsSizeAndIsClipped) {
    TskImagePanel panel;
    panel.resize(40, 20);
    panel.SetPicture(markedPicture());
    panel.SetDrawStyle(TskDrawStyle::skTile);
    const QImage image = shot(&panel);
    ASSERT_EQ(image.size(), QSize(40, 20));
    const QRect reds = boundsOf(image, [&](int x, int y) { return rgb(image, x, y) == 0xFF0000; });
    EXPECT_EQ(reds, QRect(0, 0, 33, 17)); // copies at x 0, 16, 32 and y 0, 16
    int redCount = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            redCount += rgb(image, x, y) == 0xFF0000;
    EXPECT_EQ(redCount, 6);
    // A picture without area draws nothing and does not hang.
    panel.SetPicture(QImage(0, 16, QImage::Format_RGB32));
    EXPECT_EQ(shot(&panel).size(), QSize(40, 20));
}

TEST(TskImagePanel, StretchedPictureFillsThePanelIgnoringItsAspect) {
    QImage quarters(2, 2, QImage::Format_RGB32);
    quarters.setPixel(0, 0, qRgb(255, 0, 0));
    quarters.setPixel(1, 0, qRgb(0, 255, 0));
    quarters.setPixel(0, 1, qRgb(0, 0, 255));
    quarters.setPixel(1, 1, qRgb(255, 255, 0));
    TskImagePanel panel;
    panel.resize(40, 20);
    panel.SetPicture(quarters);
    panel.SetDrawStyle(TskDrawStyle::skStretch);
    const QImage image = shot(&panel);
    EXPECT_EQ(rgb(image, 0, 0), 0xFF0000u);
    EXPECT_EQ(rgb(image, 39, 0), 0x00FF00u);
    EXPECT_EQ(rgb(image, 0, 19), 0x0000FFu);
    EXPECT_EQ(rgb(image, 39, 19), 0xFFFF00u);
    EXPECT_EQ(rgb(image, 19, 9), 0xFF0000u);
    EXPECT_EQ(rgb(image, 20, 10), 0xFFFF00u);
}

TEST(TskImagePanel, AutoSizeFollowsTheAlignment) {
    const QSize picture(300, 60), start(825, 52);
    EXPECT_EQ(TskCustomPanel::AutoSizeRule(AlignLayout::alTop, picture, start), QSize(825, 60));
    EXPECT_EQ(TskCustomPanel::AutoSizeRule(AlignLayout::alBottom, picture, start), QSize(825, 60));
    EXPECT_EQ(TskCustomPanel::AutoSizeRule(AlignLayout::alLeft, picture, start), QSize(300, 52));
    EXPECT_EQ(TskCustomPanel::AutoSizeRule(AlignLayout::alClient, picture, start), start);
    EXPECT_EQ(TskCustomPanel::AutoSizeRule(AlignLayout::alNone, picture, start), picture);

    // On a real top-aligned panel the alignment keeps the width.
    QWidget form;
    form.resize(500, 300);
    auto* panel = new TskImagePanel(&form);
    panel->resize(100, 30);
    panel->SetAlign(AlignLayout::alTop);
    AlignLayout::manage(&form);
    panel->SetAutoSize(true);
    QImage wide(300, 60, QImage::Format_RGB32);
    wide.fill(Qt::gray);
    panel->SetPicture(wide);
    EXPECT_EQ(panel->size(), QSize(500, 60));
    // Without a picture, AutoSize changes nothing.
    TskImagePanel free;
    free.resize(70, 20);
    free.SetAutoSize(true);
    EXPECT_EQ(free.size(), QSize(70, 20));
    free.SetPicture(wide);
    EXPECT_EQ(free.size(), QSize(300, 60));
}

TEST(TskImagePanel, OpaquePanelShowsItsColourTransparentOneWhatLiesBehind) {
    SolidWidget parent(QColor(10, 200, 30));
    parent.resize(100, 100);
    auto* panel = new TskImagePanel(&parent);
    panel->setGeometry(10, 10, 50, 30);
    const QColor face = TskColor::toQColor(TskColor::ButtonFace);
    EXPECT_EQ(rgb(shot(panel), 25, 15), face.rgb() & 0xFFFFFF);
    panel->SetColor(TskColor::fromRgb(1, 2, 3));
    EXPECT_EQ(rgb(shot(panel), 25, 15), 0x010203u);
    panel->SetTransparent(true);
    const QImage image = shot(panel);
    EXPECT_EQ(boundsOf(image, [&](int x, int y) { return rgb(image, x, y) != 0x0AC81E; }), QRect());
}

TEST(TskImagePanel, TransparentPanelSeesThroughThePicturesLowerLeftColour) {
    SolidWidget parent(QColor(200, 10, 30));
    parent.resize(60, 60);
    auto* panel = new TskImagePanel(&parent);
    panel->setGeometry(5, 5, 16, 16);
    QImage picture = markedPicture();
    picture.fill(QColor(0, 255, 0));         // the lower-left colour everywhere...
    picture.setPixel(8, 8, qRgb(0, 0, 255)); // ...but one pixel
    panel->SetPicture(picture);
    EXPECT_FALSE(panel->PictureTransparent());
    EXPECT_EQ(rgb(shot(panel), 3, 3), 0x00FF00u);
    panel->SetTransparent(true);
    EXPECT_TRUE(panel->PictureTransparent());
    const QImage image = shot(panel);
    EXPECT_EQ(rgb(image, 3, 3), 0xC80A1Eu);
    EXPECT_EQ(rgb(image, 8, 8), 0x0000FFu);
}

TEST(TskImagePanel, CaptionIsVerticallyCentredAlignedAndBlankOnesAreNotDrawn) {
    TskImagePanel panel;
    panel.resize(200, 40);
    panel.SetColor(TskColor::fromRgb(255, 255, 255));
    const QImage blank = shot(&panel);
    panel.SetCaption(QStringLiteral("   "));
    EXPECT_EQ(shot(&panel), blank);
    EXPECT_TRUE(panel.LastCaptionRect().isNull());

    panel.SetCaption(QStringLiteral("Word"));
    panel.SetAlignment(TAlignment::taRightJustify);
    const QImage right = shot(&panel);
    const QRect ink = diffBounds(right, blank);
    ASSERT_FALSE(ink.isNull());
    EXPECT_GE(ink.right(), 195);
    EXPECT_GT(ink.left(), 140);
    // Centred vertically: the ink's middle within a few pixels of the panel's.
    EXPECT_NEAR(ink.center().y(), 20, 4);
    EXPECT_EQ(panel.LastCaptionRect(), QRect(0, 0, 200, 40));

    panel.SetAlignment(TAlignment::taLeftJustify);
    EXPECT_LT(diffBounds(shot(&panel), blank).left(), 5);
    panel.SetAlignment(TAlignment::taCenter);
    EXPECT_NEAR(diffBounds(shot(&panel), blank).center().x(), 100, 3);
}

TEST(TskImagePanel, LayoutNamesReachTheProperties) {
    TskImagePanel panel;
    ASSERT_TRUE(panel.setProperty("DrawStyle", QStringLiteral("skTile")));
    EXPECT_EQ(panel.DrawStyle(), TskDrawStyle::skTile);
    ASSERT_TRUE(panel.setProperty("DrawStyle", 1));
    EXPECT_EQ(panel.DrawStyle(), TskDrawStyle::skStretch);
    ASSERT_TRUE(panel.setProperty("Alignment", QStringLiteral("taLeftJustify")));
    EXPECT_EQ(panel.Alignment(), TAlignment::taLeftJustify);
    EXPECT_FALSE(panel.TabStop());
}
