#include "app/automation/SlideRasterizer.h"
#include "QStringPrinter.h"
#include "app/automation/AutomationError.h"
#include "platform/AnchoredFolder.h"
#include "platform/PosixFiles.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A PDF of `pages` landscape 4:3 pages, each a red half and a white half.
QString makePdf(const QString& path, int pages) {
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QSizeF(254, 190.5), QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF());
    QPainter painter(&writer);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        const QRect all = painter.viewport();
        painter.fillRect(all, Qt::white);
        painter.fillRect(QRect(all.topLeft(), QSize(all.width() / 2, all.height())), Qt::red);
    }
    return path;
}

} // namespace

TEST(SlideRasterizerTest, EveryPageGivesThreePicturesOfTheRightSizes) {
    // Halving takes the mean of each 2x2, channel by channel; an odd last
    // row stands for itself twice.
    QImage odd(4, 3, QImage::Format_RGB888);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            odd.setPixel(x, y, qRgb(10 * x, 20 * y, 100 + x + y));
    const QImage half = SlideRasterizer::halved(odd);
    EXPECT_EQ(half.size(), QSize(2, 2));
    EXPECT_EQ(half.pixel(0, 0), qRgb(5, 10, 101));
    EXPECT_EQ(half.pixel(1, 1), qRgb(25, 40, 105));

    if (SlideRasterizer::program().isEmpty())
        GTEST_SKIP() << "mutool is not installed";
    QTemporaryDir temp;
    const QString pdf = makePdf(temp.path() + "/deck.pdf", 2);
    EXPECT_EQ(SlideRasterizer::draw(pdf, AnchoredFolder(temp.path()), 2), 2);
    for (const auto& [name, width] :
         {std::pair{"hdimg1.jpg", 1600}, {"img1.jpg", 800}, {"thumb1.jpg", 256}}) {
        const QImage picture(temp.path() + "/" + name);
        ASSERT_FALSE(picture.isNull()) << name;
        EXPECT_EQ(picture.width(), width) << name;
        EXPECT_NEAR(picture.height(), width * 3 / 4, 2) << name;
        // Drawn, not blank: red on the left, white on the right.
        EXPECT_GT(qRed(picture.pixel(width / 4, picture.height() / 2)), 200) << name;
        EXPECT_LT(qGreen(picture.pixel(width / 4, picture.height() / 2)), 60) << name;
        EXPECT_GT(qGreen(picture.pixel(width * 3 / 4, picture.height() / 2)), 200) << name;
    }
}

// A PDF with more pages than the deck has slides, a drawing program that
// cannot have the memory it needs or takes too long, and a stream that is
// no picture all fail, and say so.
TEST(SlideRasterizerTest, WhatIsNotTheDecksSlidesWithinTheLimitsFails) {
    if (SlideRasterizer::program().isEmpty())
        GTEST_SKIP() << "mutool is not installed";
    QTemporaryDir temp;
    const QString pdf = makePdf(temp.path() + "/deck.pdf", 3);
    EXPECT_THROW(SlideRasterizer::draw(pdf, AnchoredFolder(temp.path()), 2), AutomationError);
    SlideRasterizer::Limits starved;
    starved.memoryBytes = 4 << 20;
    EXPECT_THROW(SlideRasterizer::draw(pdf, AnchoredFolder(temp.path()), 3, starved),
                 AutomationError);
    SlideRasterizer::Limits hurried;
    hurried.wallTime = std::chrono::seconds(0);
    hurried.wallTimePerSlide = std::chrono::milliseconds(0);
    EXPECT_THROW(SlideRasterizer::draw(pdf, AnchoredFolder(temp.path()), 3, hurried),
                 AutomationError);
    PosixFiles::writeAll(temp.path() + "/not.pdf", "%PDF-1.4\nnothing\n");
    EXPECT_THROW(SlideRasterizer::draw(temp.path() + "/not.pdf", AnchoredFolder(temp.path()), 3),
                 AutomationError);

    SlideRasterizer::Header header;
    EXPECT_EQ(SlideRasterizer::readHeader("P6\n1600 1200\n255\nxx", 1600, &header), 17 + 5760000);
    EXPECT_EQ(header.height, 1200);
    EXPECT_EQ(SlideRasterizer::readHeader("P6\n1600 12", 1600, &header), 0) << "more to come";
    EXPECT_EQ(SlideRasterizer::readHeader("P6\n900 600\n255\n", 1600, &header), -1);
    EXPECT_EQ(SlideRasterizer::readHeader("P6\n1600 9000\n255\n", 1600, &header), -1);
    EXPECT_EQ(SlideRasterizer::readHeader("P6\n1600 1200\n65535\n", 1600, &header), -1);
    EXPECT_EQ(SlideRasterizer::readHeader("GIF89a", 1600, &header), -1);
}
