#include "player/RVStillImage.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

TEST(StillImage, ScalesOnlyPicturesLargerThanTheLimit)
{
    QImage wide(2400, 1200, QImage::Format_RGB32);
    wide.fill(Qt::red);
    EXPECT_EQ(RVStillImage::scaledToFit(wide, {2000, 2000}).size(), QSize(2000, 1000));
    QImage tall(1000, 3000, QImage::Format_RGB32);
    tall.fill(Qt::blue);
    EXPECT_EQ(RVStillImage::scaledToFit(tall, {2000, 2000}).size(), QSize(666, 2000));
    QImage exact(2000, 2000, QImage::Format_RGB32);
    exact.fill(Qt::green);
    EXPECT_EQ(RVStillImage::scaledToFit(exact, {2000, 2000}).size(), QSize(2000, 2000));
    QImage small(320, 240, QImage::Format_RGB32);
    small.fill(Qt::black);
    EXPECT_EQ(RVStillImage::scaledToFit(small, {2000, 2000}).size(), QSize(320, 240));
    // No limit leaves the picture alone.
    EXPECT_EQ(RVStillImage::scaledToFit(wide, {}).size(), QSize(2400, 1200));
}

TEST(StillImage, WritesAJpegThatReadsBack)
{
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 40));
    const QByteArray jpeg = RVStillImage::jpegData(image);
    ASSERT_GT(jpeg.size(), 4);
    EXPECT_EQ(static_cast<unsigned char>(jpeg[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(jpeg[1]), 0xD8);
    EXPECT_TRUE(RVStillImage::jpegData(QImage()).isEmpty());

    QTemporaryDir dir;
    const QString path = dir.filePath("Trip - 12 second.jpeg");
    QString error;
    ASSERT_TRUE(RVStillImage::saveJpeg(image, path, &error)) << error.toStdString();
    QImage back(path, "jpeg");
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.size(), image.size());
    // Highest quality: a flat colour survives within a few levels.
    const QColor centre = back.pixelColor(160, 120);
    EXPECT_NEAR(centre.red(), 200, 4);
    EXPECT_NEAR(centre.green(), 40, 4);

    // A failed save reports why and leaves no file behind; nothing is written for no picture.
    EXPECT_FALSE(RVStillImage::saveJpeg(image, dir.filePath("missing/dir/x.jpeg"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(RVStillImage::saveJpeg(QImage(), dir.filePath("none.jpeg"), &error));
    EXPECT_FALSE(QFile::exists(dir.filePath("none.jpeg")));
}
