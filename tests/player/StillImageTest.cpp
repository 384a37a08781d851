#include "metadata/RVSettings.h"
#include "player/RVSaveFolder.h"
#include "player/RVStillImage.h"
#include "tests/SmallDisk.h"

#include <gtest/gtest.h>

#include <cmath>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>

TEST(StillImage, ScalesOnlyPicturesLargerThanTheLimitAndWritesAJpegThatReadsBack)
{
    // (The player's tests see a wide picture scaled down.)
    QImage image(1000, 3000, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 40));
    EXPECT_EQ(RVStillImage::scaledToFit(image, {2000, 2000}).size(), QSize(666, 2000));
    EXPECT_EQ(RVStillImage::scaledToFit(image, {1000, 3000}).size(), QSize(1000, 3000));
    EXPECT_EQ(RVStillImage::scaledToFit(image, {}).size(), QSize(1000, 3000)); // no limit

    const QByteArray jpeg = RVStillImage::jpegData(image);
    ASSERT_GT(jpeg.size(), 4);
    EXPECT_EQ(jpeg.left(2), QByteArray("\xFF\xD8"));
    EXPECT_TRUE(RVStillImage::jpegData(QImage()).isEmpty());

    QTemporaryDir dir;
    const QString path = dir.filePath("Trip - 12 second.jpeg");
    QString error;
    ASSERT_TRUE(RVStillImage::saveJpeg(image, path, &error)) << error.toStdString();
    const QImage back(path, "jpeg");
    EXPECT_EQ(back.size(), image.size());
    // Highest quality: a flat colour survives within a few levels.
    EXPECT_NEAR(back.pixelColor(160, 120).red(), 200, 4);
    EXPECT_NEAR(back.pixelColor(160, 120).green(), 40, 4);

    // A failed save reports why and leaves no file behind; nothing is written for no picture.
    EXPECT_FALSE(RVStillImage::saveJpeg(image, dir.filePath("missing/dir/x.jpeg"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(RVStillImage::saveJpeg(QImage(), dir.filePath("none.jpeg"), &error));
    EXPECT_FALSE(QFile::exists(dir.filePath("none.jpeg")));

    // A full disk: no truncated picture, and the error names the file.
    SmallDisk disk;
    if (!disk.isValid())
        return;
    disk.fill();
    EXPECT_FALSE(RVStillImage::saveJpeg(image, disk.filePath("full.jpeg"), &error));
    EXPECT_TRUE(error.contains("full.jpeg")) << error.toStdString();
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"filler"}));
}

TEST(StillImage, NamedAfterTheFileAndTheFramesClockTimeAndSavedWhereTheLastOneWent)
{
    const QDateTime start(QDate(2017, 7, 8), QTime(22, 14, 49));
    const struct
    {
        QString path;
        QDateTime start;
        double into;
        QString name;
    } cases[] = {
        {"/card/Record/20170708_221449_NF.mp4", start, 14.7,
         "20170708_221449_NF 2017-07-08 22-15-03"},
        // Across midnight, and a position not known yet.
        {"/c/a.b.MOV", start.addSecs(6310), 1.0, "a.b 2017-07-09 00-00-00"},
        {"/c/x.mp4", start, std::nan(""), "x 2017-07-08 22-14-49"},
        // No start time: the seconds into the file.
        {"/c/x.mp4", QDateTime(), 12.9, "x - 12 second"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RVSaveFolder::stillName(c.path, c.start, c.into), c.name) << c.name.toStdString();

    QTemporaryDir out;
    const char* key = RVSettings::kLastStillFolder;
    RVSettings::store().remove(QLatin1String(key));
    const QString home = RVSaveFolder::initial(key, QStandardPaths::PicturesLocation);
    EXPECT_TRUE(QFileInfo(home).isDir());
    RVSaveFolder::remember(key, out.filePath("a.jpeg"));
    EXPECT_EQ(RVSaveFolder::initial(key, QStandardPaths::PicturesLocation), out.path());
    // A folder that went away (an unplugged stick) is not offered.
    RVSaveFolder::remember(key, out.filePath("gone/a.jpeg"));
    EXPECT_EQ(RVSaveFolder::initial(key, QStandardPaths::PicturesLocation), home);
}
