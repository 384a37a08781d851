#include "core/RVSettings.h"
#include "player/video/RVStillImage.h"
#include "player/window/RVSaveFolder.h"
#include "support/Support.h"
#include "support/WriteLimit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include <QDir>
#include <QTemporaryDir>

TEST(StillImage, NamedPutWhereTheLastOneWentScaledAndSavedAsAJpegOrNotAtAll)
{
    // Named after the file and the frame's clock time, and saved where the last one went.
    const QDateTime start(QDate(2017, 7, 8), QTime(22, 14, 49));
    const std::tuple<QString, QDateTime, double, QString> cases[] = {
        {"/card/Record/20170708_221449_NF.mp4", start, 14.7,
         "20170708_221449_NF 2017-07-08 22-15-03"},
        // Across midnight, a position not known yet, and no start time.
        {"/c/a.b.MOV", start.addSecs(6310), 1.0, "a.b 2017-07-09 00-00-00"},
        {"/c/x.mp4", start, std::nan(""), "x 2017-07-08 22-14-49"},
        {"/c/x.mp4", QDateTime(), 12.9, "x - 12 second"},
    };
    for (const auto& [path, from, into, name] : cases)
        EXPECT_EQ(RVSaveFolder::stillName(path, from, into), name);

    QTemporaryDir out;
    const char* key = RVSettings::kLastStillFolder;
    RVSettings::store().remove(QLatin1String(key));
    const QString home = RVSaveFolder::initial(key, QStandardPaths::PicturesLocation);
    RVSaveFolder::remember(key, out.filePath("a.jpeg"));
    EXPECT_EQ(RVSaveFolder::initial(key, QStandardPaths::PicturesLocation), out.path());
    // A folder that went away (an unplugged stick) is not offered.
    RVSaveFolder::remember(key, out.filePath("gone/a.jpeg"));
    EXPECT_EQ(RVSaveFolder::initial(key, QStandardPaths::PicturesLocation), home);

    // Scaled down to the limit, and saved as a JPEG or not at all.
    QImage image(1000, 3000, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 40));
    EXPECT_EQ(RVStillImage::scaledToFit(image, {2000, 2000}).size(), QSize(666, 2000));
    EXPECT_EQ(RVStillImage::scaledToFit(image, {1000, 3000}).size(), QSize(1000, 3000));
    EXPECT_EQ(RVStillImage::scaledToFit(image, {}).size(), QSize(1000, 3000)); // no limit

    QString error;
    ASSERT_TRUE(RVStillImage::saveJpeg(image, out.filePath("a.jpeg"), &error));
    const QImage back(out.filePath("a.jpeg"), "jpeg");
    EXPECT_EQ(back.size(), image.size());
    EXPECT_NEAR(back.pixelColor(160, 120).green(), 40, 4); // the highest quality
    // A failed save says why and leaves no file; a full disk leaves no truncated picture.
    EXPECT_FALSE(RVStillImage::saveJpeg(image, out.filePath("missing/dir/x.jpeg"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(RVStillImage::saveJpeg(QImage(), out.filePath("none.jpeg"), &error));
    EXPECT_FALSE(QFile::exists(out.filePath("none.jpeg")));
    QTemporaryDir disk;
    const support::WriteLimit full(512);
    EXPECT_FALSE(RVStillImage::saveJpeg(image, disk.filePath("full.jpeg"), &error));
    EXPECT_TRUE(error.contains("full.jpeg")) << error.toStdString();
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}
