#include "metadata/RVMiniMetaDataReader.h"

#include "TestFiles.h"

#include <QDateTime>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using TestFiles::write;

namespace {

std::int64_t localMs(int y, int mo, int d, int h, int mi, int s, int ms)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::LocalTime).toMSecsSinceEpoch();
}

RVMetaData parse(const QByteArray& text)
{
    return RVMiniMetaDataReader::readMetaDataFromFile("/CARD/gps/gps0001.log",
                                                      TestFiles::view(text));
}

} // namespace

TEST(MiniReader, LinesGivePointsSpeedsAndSamples)
{
    const RVMetaData data = parse("A,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10,3\n"
                                  "V,050215,134502.000,,,,,0.0,0,-10,0\n"
                                  "A,050215,134503.5,5545.1234,S,03736.5678,W,1.0,0,0,0\r\n");
    ASSERT_EQ(data.points.size(), 2u);
    ASSERT_EQ(data.velocityData.size(), 2u);
    const RVPoint& p = data.points[0];
    EXPECT_EQ(p.latitude(), "55.752060");
    EXPECT_EQ(p.longitude(), "37.609463");
    EXPECT_EQ(p.time().msecsSinceEpoch(), localMs(2015, 2, 5, 13, 45, 1, 0));
    EXPECT_EQ(p.velocity(), -1);
    EXPECT_EQ(p.altitude(), 0);
    EXPECT_EQ(p.azimut(), 0);
    EXPECT_DOUBLE_EQ(data.velocityData[0], 18.519999980926514);
    // No lower threshold on Mini speeds.
    EXPECT_EQ(data.velocityData[1], 1.0 * double(1.852f));
    EXPECT_EQ(data.points[1].latitude(), "-55.752060");
    EXPECT_EQ(data.points[1].longitude(), "-37.609463");
    EXPECT_EQ(data.points[1].time().msecsSinceEpoch(), localMs(2015, 2, 5, 13, 45, 3, 500));

    ASSERT_EQ(data.gSensorData.size(), 3u);
    const RVSensorData& a = data.gSensorData[0];
    EXPECT_DOUBLE_EQ(a.x(), 0.1);
    EXPECT_EQ(a.y(), 0);
    EXPECT_DOUBLE_EQ(a.z(), 0.3);
    EXPECT_DOUBLE_EQ(a.common(), 0.31622776601683794);
    EXPECT_EQ(a.time().text(), "05-02-15 13:45:01.000");
    // The line without a position keeps the previous label.
    const RVSensorData& b = data.gSensorData[1];
    EXPECT_EQ(b.x(), 0);
    EXPECT_EQ(b.y(), 0);
    EXPECT_EQ(b.z(), 0);
    EXPECT_EQ(b.time(), a.time());
    EXPECT_EQ(data.gSensorData[2].time().text(), "05-02-15 13:45:03.500");
    EXPECT_EQ(data.relatedFiles, QStringList{"/CARD/gps/gps0001.log"});
}

TEST(MiniReader, LinesWithoutFixOrUsableFields)
{
    const RVMetaData data =
        parse("V,050180,235950.003,+,,+,,0.00,-00.61,-07.96,-78.40;\r\n"  // bare "+": no position
              "V,050215,134502.000,,,,,0.0,0,-10,0\n"                     // 11 fields, no position
              "A,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10\n" // 10 fields
              "a,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10,3\n"
              "X,050215\n\x1a\n"
              "A,320215,134501.000,+5545.1234,N,+03736.5678,E,10.0,1,-10,3\n" // no such date
              "A,05021,5134501,5545.1234,N,03736.5678,E,1,0,0,0\n"); // date and time joined
    ASSERT_EQ(data.gSensorData.size(), 4u);
    EXPECT_EQ(data.gSensorData[0].time().text(), "0");
    EXPECT_DOUBLE_EQ(data.gSensorData[0].y(), -0.796 + 1.0);
    ASSERT_EQ(data.points.size(), 2u);
    EXPECT_EQ(data.points[0].latitude(), "55.752060");
    EXPECT_FALSE(data.points[0].time().isValid());
    EXPECT_EQ(data.points[1].time().msecsSinceEpoch(), localMs(2015, 2, 5, 13, 45, 1, 0));
    // A point without time leaves its sample without a label.
    EXPECT_TRUE(data.gSensorData[2].time().isNull());

    const RVMetaData empty = parse("nothing here\n");
    EXPECT_TRUE(empty.points.empty());
    EXPECT_TRUE(empty.gSensorData.empty());
    EXPECT_EQ(empty.relatedFiles.size(), 1);
}

TEST(MiniReader, CourseFollowsConsecutivePositions)
{
    const auto courseTo = [](const char* lat, const char* lon) {
        const QByteArray text =
            QByteArray("A,050215,134501.000,5500.0000,N,03700.0000,E,1,0,0,0\n") +
            "A,050215,134502.000," + lat + ",N," + lon + ",E,1,0,0,0\n";
        const RVMetaData data = parse(text);
        EXPECT_EQ(data.points.size(), 2u);
        EXPECT_EQ(data.points[0].azimut(), 0);
        return data.points[1].azimut();
    };
    EXPECT_NEAR(courseTo("5500.0600", "03700.0600"), 45, 1e-9);
    EXPECT_EQ(courseTo("5459.0000", "03700.0000"), 180);
    EXPECT_EQ(courseTo("5500.0000", "03659.0000"), -90);
    EXPECT_EQ(courseTo("5500.0000", "03700.0000"), 90); // no movement
}

TEST(MiniReader, RecognitionAndLogPlaces)
{
    QTemporaryDir dir;
    const QString card = dir.path() + "/CARD";
    const QString video = card + "/DCIM/100MEDIA/AMBA0001.MP4";
    const QByteArray line1 = "A,050215,134501.000,5545.1234,N,03736.5678,E,10.0,1,-10,3\n";
    RVMiniMetaDataReader reader;

    // Nothing yet; then the log beside the video.
    EXPECT_FALSE(reader.readMetaDataFromVideoFile(video));
    write(card + "/DCIM/100MEDIA/AMBA0001.txt", line1 + line1);
    auto data = reader.readMetaDataFromVideoFile(video);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->points.size(), 2u);
    EXPECT_EQ(data->relatedFiles, QStringList{card + "/DCIM/100MEDIA/AMBA0001.txt"});

    // The gps folder's log wins.
    write(card + "/gps/gps0001.log", line1);
    data = reader.readMetaDataFromVideoFile(video);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->points.size(), 1u);
    EXPECT_EQ(data->relatedFiles, QStringList{card + "/gps/gps0001.log"});

    // Lower-case names are not Mini recordings, even with a log in place.
    write(card + "/DCIM/100MEDIA/amba0001.txt", line1);
    EXPECT_FALSE(reader.readMetaDataFromVideoFile(card + "/DCIM/100MEDIA/amba0001.mp4"));
    // An empty log is no log.
    write(card + "/gps/gps0002.log", QByteArray());
    EXPECT_FALSE(reader.readMetaDataFromVideoFile(card + "/DCIM/100MEDIA/AMBA0002.MP4"));
}
