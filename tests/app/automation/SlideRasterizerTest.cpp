#include "app/automation/SlideRasterizer.h"
#include "QStringPrinter.h"
#include "app/automation/AutomationError.h"
#include "platform/AnchoredFolder.h"
#include "platform/PosixFiles.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
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
    // row stands for itself twice, an odd last column is left out. Rows of
    // 9 pixels are padded in memory, so a wrong row step shows too.
    for (const int rows : {5, 6}) {
        QImage odd(9, rows, QImage::Format_RGB888);
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < odd.width(); ++x)
                odd.setPixel(x, y,
                             qRgb((37 * x + 11 * y) % 256, (53 * x * y + 7) % 256, 100 + x + y));
        const QImage half = SlideRasterizer::halved(odd);
        ASSERT_EQ(half.size(), QSize(4, 3));
        for (int y = 0; y < half.height(); ++y)
            for (int x = 0; x < half.width(); ++x) {
                const int below = std::min(2 * y + 1, rows - 1);
                const QRgb a = odd.pixel(2 * x, 2 * y), b = odd.pixel(2 * x + 1, 2 * y);
                const QRgb c = odd.pixel(2 * x, below), d = odd.pixel(2 * x + 1, below);
                const auto mean = [&](int (*channel)(QRgb)) {
                    return (channel(a) + channel(b) + channel(c) + channel(d) + 2) / 4;
                };
                EXPECT_EQ(half.pixel(x, y), qRgb(mean(qRed), mean(qGreen), mean(qBlue)))
                    << x << "," << y << " of " << rows << " rows";
            }
    }

    // The encoder gives what Qt's own JPEG writer gives at the same quality,
    // within a level, for a detailed picture with padded rows.
    QImage detailed(203, 61, QImage::Format_RGB888);
    for (int y = 0; y < detailed.height(); ++y)
        for (int x = 0; x < detailed.width(); ++x)
            detailed.setPixel(x, y, qRgb((x * x + y) % 256, (x * y) % 256, (x ^ y) * 4 % 256));
    for (const int quality : {75, 85}) {
        QByteArray expected;
        QBuffer buffer(&expected);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(quality);
        ASSERT_TRUE(writer.write(detailed));
        const QImage mine = QImage::fromData(SlideRasterizer::jpeg(detailed, quality), "JPEG")
                                .convertToFormat(QImage::Format_RGB888);
        const QImage theirs =
            QImage::fromData(expected, "JPEG").convertToFormat(QImage::Format_RGB888);
        ASSERT_EQ(mine.size(), detailed.size());
        int worst = 0;
        for (int y = 0; y < mine.height(); ++y)
            for (int x = 0; x < 3 * mine.width(); ++x)
                worst = std::max(worst,
                                 std::abs(mine.constScanLine(y)[x] - theirs.constScanLine(y)[x]));
        EXPECT_LE(worst, 1) << quality;
    }

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
