#include "core/RVSettings.h"
#include "export/RVExifWriter.h"
#include "player/video/RVStillImage.h"
#include "player/window/RVSaveFolder.h"
#include "support/Support.h"
#include "support/WriteLimit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimeZone>

TEST(StillImage, ScaledDownToTheLimitAndSavedAsAJpegOrNotAtAll)
{
    QImage image(1000, 3000, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 40));
    EXPECT_EQ(RVStillImage::scaledToFit(image, {2000, 2000}).size(), QSize(666, 2000));
    EXPECT_EQ(RVStillImage::scaledToFit(image, {1000, 3000}).size(), QSize(1000, 3000));
    EXPECT_EQ(RVStillImage::scaledToFit(image, {}).size(), QSize(1000, 3000)); // no limit

    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(RVStillImage::saveJpeg(image, dir.filePath("a.jpeg"), &error));
    const QImage back(dir.filePath("a.jpeg"), "jpeg");
    EXPECT_EQ(back.size(), image.size());
    EXPECT_NEAR(back.pixelColor(160, 120).green(), 40, 4); // the highest quality
    // A failed save says why and leaves no file; a full disk leaves no truncated picture.
    EXPECT_FALSE(RVStillImage::saveJpeg(image, dir.filePath("missing/dir/x.jpeg"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(RVStillImage::saveJpeg(QImage(), dir.filePath("none.jpeg"), &error));
    EXPECT_FALSE(QFile::exists(dir.filePath("none.jpeg")));
    QTemporaryDir disk;
    const support::WriteLimit full(512);
    EXPECT_FALSE(RVStillImage::saveJpeg(image, disk.filePath("full.jpeg"), &error));
    EXPECT_TRUE(error.contains("full.jpeg")) << error.toStdString();
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST(StillImage, NamedAfterTheFileAndTheFramesClockTimeAndSavedWhereTheLastOneWent)
{
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
}

// The EXIF data of a still as another program reads it: the frame's clock time with its
// offset, and the position, speed and UTC time of the fix, southern and western included.
TEST(StillImage, CarriesTheFramesTimeAndPositionInItsExifData)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QByteArray jpeg = RVStillImage::jpegData(image);
    QTemporaryDir dir;
    const auto exifOf = [&](const RVStillTags& tags) {
        const std::optional<QByteArray> bytes = RVExifWriter::withExif(jpeg, tags);
        EXPECT_TRUE(bytes.has_value());
        const QString picture = dir.filePath("still.jpeg"), json = dir.filePath("still.json");
        support::writeFile(picture, bytes.value_or(QByteArray()));
        EXPECT_EQ(QImage(picture).size(), image.size()) << "still a picture";
        EXPECT_TRUE(support::runProgram(
            "sh", {"-c", "exiftool -j -n -G1 \"$1\" > \"$2\"", "sh", picture, json}))
            << "exiftool (libimage-exiftool-perl) runs";
        return QJsonDocument::fromJson(support::readFile(json)).array().at(0).toObject();
    };

    RVStillTags tags;
    tags.frameTime = QDateTime(QDate(2024, 3, 30), QTime(23, 59, 58, 600), QTimeZone(2 * 3600));
    tags.latitude = 55.752060;
    tags.longitude = 37.609463;
    tags.speedKmh = 87.25;
    QJsonObject exif = exifOf(tags);
    EXPECT_EQ(exif["ExifIFD:DateTimeOriginal"].toString(), "2024:03:30 23:59:58");
    EXPECT_EQ(exif["ExifIFD:OffsetTimeOriginal"].toString(), "+02:00");
    EXPECT_EQ(exif["GPS:GPSLatitudeRef"].toString(), "N");
    EXPECT_NEAR(exif["GPS:GPSLatitude"].toDouble(), 55.752060, 1e-6);
    EXPECT_EQ(exif["GPS:GPSLongitudeRef"].toString(), "E");
    EXPECT_NEAR(exif["GPS:GPSLongitude"].toDouble(), 37.609463, 1e-6);
    EXPECT_EQ(exif["GPS:GPSSpeedRef"].toString(), "K");
    EXPECT_NEAR(exif["GPS:GPSSpeed"].toDouble(), 87.25, 1e-9);
    // In UTC: two hours back.
    EXPECT_EQ(exif["GPS:GPSDateStamp"].toString(), "2024:03:30");
    EXPECT_EQ(exif["GPS:GPSTimeStamp"].toString(), "21:59:58.6");

    // South and west, a time zone behind UTC across midnight, the fix's own time, and a
    // position so close to a whole minute that rounding must carry.
    tags.frameTime =
        QDateTime(QDate(2023, 12, 31), QTime(21, 30, 0), QTimeZone(-(3 * 3600 + 30 * 60)));
    tags.latitude = -33.8567839999999; // 33° 51' 24.4224"
    tags.longitude = -(70.0 + 59.99999999 / 60.0);
    tags.speedKmh.reset();
    tags.gpsTime = QDateTime(QDate(2024, 1, 1), QTime(1, 0, 1), Qt::UTC);
    exif = exifOf(tags);
    EXPECT_EQ(exif["ExifIFD:OffsetTimeOriginal"].toString(), "-03:30");
    EXPECT_EQ(exif["GPS:GPSLatitudeRef"].toString(), "S");
    EXPECT_NEAR(exif["GPS:GPSLatitude"].toDouble(), 33.856784, 1e-6);
    EXPECT_EQ(exif["GPS:GPSLongitudeRef"].toString(), "W");
    EXPECT_NEAR(exif["GPS:GPSLongitude"].toDouble(), 71.0, 1e-6);
    EXPECT_FALSE(exif.contains("GPS:GPSSpeed"));
    EXPECT_EQ(exif["GPS:GPSDateStamp"].toString(), "2024:01:01");
    EXPECT_EQ(exif["GPS:GPSTimeStamp"].toString(), "01:00:01");

    // Nothing known writes nothing; bytes that are no JPEG are refused.
    EXPECT_EQ(RVExifWriter::withExif(jpeg, {}), jpeg);
    QString error;
    EXPECT_FALSE(RVExifWriter::withExif(QByteArray("GIF89a"), tags, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(RVExifWriter::withExif(QByteArray("\xFF\xD8\xFF\xE0\x40\x00", 6), tags));
}
