#include "export/RVExifWriter.h"
#include "support/Support.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

// The EXIF data of a still as another program (ExifTool) reads it: the frame's clock time with
// its offset, and the position, speed and UTC time of the fix, southern and western included.
TEST(ExifWriter, CarriesTheFramesTimeAndPositionAsAnotherProgramReadsThem)
{
    QTemporaryDir dir;
    // A picture another program made.
    ASSERT_TRUE(support::runFfmpeg({"-f", "lavfi", "-i", "color=c=green:s=64x48", "-frames:v", "1",
                                    dir.filePath("plain.jpeg")}));
    const QByteArray jpeg = support::readFile(dir.filePath("plain.jpeg"));
    ASSERT_TRUE(jpeg.startsWith("\xFF\xD8"));
    const auto exifOf = [&](const RVStillTags& tags, const QByteArray& source) {
        const std::optional<QByteArray> bytes = RVExifWriter::withExif(source, tags);
        EXPECT_TRUE(bytes.has_value());
        const QString picture = dir.filePath("still.jpeg"), json = dir.filePath("still.json");
        support::writeFile(picture, bytes.value_or(QByteArray()));
        EXPECT_TRUE(support::runProgram(
            "sh", {"-c", "exiftool -j -n -G1 \"$1\" > \"$2\"", "sh", picture, json}))
            << "exiftool (libimage-exiftool-perl) runs";
        const QJsonObject read =
            QJsonDocument::fromJson(support::readFile(json)).array().at(0).toObject();
        EXPECT_EQ(read["File:ImageWidth"].toInt(), 64) << "still a picture";
        return read;
    };

    RVStillTags tags;
    tags.frameTime = QDateTime(QDate(2024, 3, 30), QTime(23, 59, 58, 600), QTimeZone(2 * 3600));
    tags.latitude = 55.752060;
    tags.longitude = 37.609463;
    tags.speedKmh = 87.25;
    QJsonObject exif = exifOf(tags, jpeg);
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
    exif = exifOf(tags, jpeg);
    EXPECT_EQ(exif["ExifIFD:OffsetTimeOriginal"].toString(), "-03:30");
    EXPECT_EQ(exif["GPS:GPSLatitudeRef"].toString(), "S");
    EXPECT_NEAR(exif["GPS:GPSLatitude"].toDouble(), 33.856784, 1e-6);
    EXPECT_EQ(exif["GPS:GPSLongitudeRef"].toString(), "W");
    EXPECT_NEAR(exif["GPS:GPSLongitude"].toDouble(), 71.0, 1e-6);
    EXPECT_FALSE(exif.contains("GPS:GPSSpeed"));
    EXPECT_EQ(exif["GPS:GPSDateStamp"].toString(), "2024:01:01");
    EXPECT_EQ(exif["GPS:GPSTimeStamp"].toString(), "01:00:01");

    // A picture without the JFIF segment takes its EXIF segment first; the poles and the date
    // line are positions too.
    ASSERT_EQ(jpeg.mid(2, 2), "\xFF\xE0");
    const QByteArray bare = jpeg.left(2) + jpeg.mid(4 + (quint8(jpeg[4]) << 8 | quint8(jpeg[5])));
    tags.latitude = 90;
    tags.longitude = 180;
    exif = exifOf(tags, bare);
    EXPECT_EQ(RVExifWriter::withExif(bare, tags)->mid(2, 2), "\xFF\xE1");
    EXPECT_NEAR(exif["GPS:GPSLatitude"].toDouble(), 90, 1e-9);
    EXPECT_NEAR(exif["GPS:GPSLongitude"].toDouble(), 180, 1e-9);

    // Nothing known writes nothing; bytes that are no JPEG are refused.
    EXPECT_EQ(RVExifWriter::withExif(jpeg, {}), jpeg);
    QString error;
    EXPECT_FALSE(RVExifWriter::withExif(QByteArray("GIF89a"), tags, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(RVExifWriter::withExif(QByteArray("\xFF\xD8\xFF\xE0\x40\x00", 6), tags));
    EXPECT_FALSE(RVExifWriter::withExif(QByteArray("\x00\xD8\xFF\xDB", 4), tags));
}
