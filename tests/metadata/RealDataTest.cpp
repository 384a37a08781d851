// Real recordings and receiver logs read through the program's own entries: BlackVue clips as
// recordings, the Mini log through its reader, other receivers' NMEA logs as Korvela texts.
#include "metadata/RVBlackVueMetaDataReader.h"
#include "metadata/RVCameraClock.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVKorvelaMetaDataReader.h"
#include "metadata/RVMiniMetaDataReader.h"

#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace TestFiles;

namespace {

const RVGpsProcessor& gps = RVGpsProcessor::sharedInstance();

// The points with a position; each within `degrees` of (lat, lon).
std::size_t fixesNear(const RVMetaData& data, double lat, double lon, double degrees)
{
    std::size_t fixes = 0;
    for (const RVPoint& p : data.points)
        if (!RVGpsProcessor::isZeroPoint(p) && ++fixes) {
            EXPECT_NEAR(p.latitudeValue(), lat, degrees);
            EXPECT_NEAR(p.longitudeValue(), lon, degrees);
        }
    return fixes;
}

// A receiver's log read as a Korvela side text, with the dispatcher's altitude fill.
RVMetaData readLog(const char* relativePath)
{
    const QByteArray bytes = realData(relativePath);
    auto data = RVKorvelaMetaDataReader::readMetaDataFromText(view(bytes)).value_or(RVMetaData());
    gps.fixFirstAltitudeRecords(data.points);
    EXPECT_EQ(data.points.size(), data.velocityData.size()) << relativePath;
    return data;
}

} // namespace

TEST(RealData, BlackVueClipsFromSideFilesAndEmbeddedAndTheirSensorScale)
{
    KORVELA_SKIP_WITHOUT_REALDATA("blackvue-dr650s");
    const QString folder = RealData::folder() + "/blackvue-dr650s/";
    QTemporaryDir dir;
    // The camera's names are its local time, Minsk's (UTC+3): the receive-time prefixes of
    // the track lines, written by the camera's clock, run 3 h ahead of the fixes' UTC.
    // 084737_E begins with a fix repeated from 05:46:58Z, before the recording's 05:47:37Z:
    // it goes. 085648_N begins with fixes a second apart from 9 s before its name (seconds kept
    // from before the recording's start): they stay. Only the side files named after the
    // videos are read. In 085648_N two lines hold UBX bytes, one with a valid fix behind a
    // second prefix.
    RVCameraClock::setRule("", std::nullopt, {"Europe/Minsk", 0});
    const struct Reset
    {
        ~Reset() { RVCameraClock::clearRules(); }
    } reset;
    const std::tuple<const char*, std::size_t, std::size_t, std::size_t> clips[] = {
        {"20170708_221449_N", 46, 46, 406},
        {"20170709_080018_N", 190, 0, 1760},
        {"20170709_084652_P", 6, 6, 465},
        {"20170709_084737_E", 132, 128, 1690},
        {"20170709_085648_N", 36, 36, 322}};
    for (const auto& [clip, points, fixes, samples] : clips) {
        SCOPED_TRACE(clip);
        const QString relative = QStringLiteral("blackvue-dr650s/") + clip;
        const auto data = gps.readMetaDataFromVideoFile(folder + clip + ".mp4");
        ASSERT_TRUE(data);
        EXPECT_EQ(data->velocityData.size(), points);
        EXPECT_EQ(fixesNear(*data, 53.9, 27.6, 0.2), fixes);
        EXPECT_EQ(data->gSensorData.size(), samples);
        EXPECT_EQ(data->gSensorData.front().time().text(), "0"); // ms from the clip's start

        // The same kept in the video: NUL-padded text, records ended by ten 0xFF bytes.
        const QByteArray embedded =
            standardBox("gps ", realData(relative + ".gps") + QByteArray(100, '\0')) +
            standardBox("3gf ", realData(relative + ".3gf") + QByteArray(10, '\xff') +
                                    QByteArray(30, '\0')) +
            standardBox("cprt", "Pittasoft Co., Ltd.;DR900S-2CH;1.010;English;");
        const QString video = dir.filePath(QString(clip) + "R.mp4");
        writeFile(video, standardBox("ftyp", "mp42") + standardBox("free", QByteArray(64, '\0')) +
                             standardBox("free", embedded) + standardBox("mdat", "x") +
                             standardBox("moov", ""));
        QString format;
        const auto inside = gps.readMetaDataFromVideoFile(video, &format);
        EXPECT_EQ(format, "BlackVue");
        EXPECT_EQ(text(inside), text(data));
        EXPECT_EQ(inside->relatedFiles.join(' ') + inside->cameraModel, "DR900S-2CH");
    }
    // [1499552090960]$GPRMC,191450.00,A,5357.14375,N,02740.86226,E,7.525,62.67,080717,,,A*56,
    // the altitude filled from the GGA after it.
    EXPECT_EQ(text(gps.readMetaDataFromVideoFile(folder + "20170708_221449_N.mp4")->points[0]),
              "53.952393 27.681038 2017-07-08 19:14:50.000 13.9362999856 222.3 62.67");
    const QString event = folder + "20170709_084737_E.mp4";
    EXPECT_EQ(text(gps.readMetaDataFromVideoFile(event)->points[0]).substr(18, 23),
              "2017-07-09 05:48:27.560");
    // The parking clip's track file is empty: still BlackVue's, with its sensor samples.
    QString format;
    const auto parking = gps.readMetaDataFromVideoFile(folder + "20170709_080522_P.mp4", &format);
    ASSERT_TRUE(parking);
    EXPECT_EQ(format, "BlackVue");
    EXPECT_EQ(parking->points.size() * 10000 + parking->gSensorData.size(), 1685u);
    // With the names read an hour early (Dubai's zone, not Minsk's), the repeated fix lies
    // after the start and stays.
    RVCameraClock::setRule("", std::nullopt, {"Asia/Dubai", 0});
    EXPECT_EQ(gps.readMetaDataFromVideoFile(event)->points.size(), 133u);

    // Every real sensor file, read raw: the gravity vector of a camera at rest is 1 g long (the
    // median sample of a clip, which is mostly standing or cruising).
    for (const char* clip : {"20170708_221449_N", "20170709_080018_N", "20170709_080522_P",
                             "20170709_084652_P", "20170709_084737_E", "20170709_085648_N"}) {
        const QByteArray bytes = realData(QStringLiteral("blackvue-dr650s/") + clip + ".3gf");
        std::vector<double> lengths;
        for (const RVSensorData& s : RVBlackVueMetaDataReader::readGSensorFromText(view(bytes))) {
            const double z = s.z() + 1.0; // the reader removes 1 g from z
            lengths.push_back(std::sqrt(s.x() * s.x() + s.y() * s.y() + z * z));
        }
        ASSERT_FALSE(lengths.empty()) << clip;
        std::nth_element(lengths.begin(), lengths.begin() + std::ptrdiff_t(lengths.size() / 2),
                         lengths.end());
        EXPECT_NEAR(lengths[lengths.size() / 2], 1.0, 0.04) << clip;
    }
}

// Receiver logs of GPSBabel's tests as Korvela texts, then the Mini log through the dispatcher.
TEST(RealData, ReceiverLogs)
{
    // 154 RMC sentences, each after the GGA of the same second. GPSBabel's GPX of them begins
    // 42.530485000 -88.121721667 209.8 m at 03:29:08.379 and ends 42.530516667 -88.121758333
    // 221.4 m at 03:31:41.370.
    const RVMetaData data = readLog("gpsbabel/nmea");
    ASSERT_EQ(data.points.size(), 154u);
    EXPECT_EQ(text(data.points.front()) + " | " + text(data.points.back()),
              "42.530483 -88.121727 2004-08-07 03:29:08.379 0 209.8 138.92 | "
              "42.530518 -88.121758 2004-08-07 03:31:41.370 0 221.4 137.91");
    // A 4 Hz receiver whose times go out of order.
    EXPECT_EQ(readLog("gpsbabel/nmea+ms.txt").points.size(), 30u);

    // Hand-edited times in the forms real receivers write, at 42.8S 147.4E. The first RMC
    // comes before any GGA: the first GGA's altitude.
    const RVMetaData times = readLog("gpsbabel/nmeadatetime.nmea");
    EXPECT_EQ(fixesNear(times, -42.832758, 147.445530, 0.00002), 19u); // single precision
    EXPECT_EQ(text(times.points.at(3)), "-42.832756 147.445526 2019-10-23 22:25:10.100 0 30 0");
    EXPECT_EQ(text(times.points.at(8)).substr(0, 24), "-42.832756 147.445526 - ");
    // A track of GGA sentences only gives no points.
    EXPECT_TRUE(readLog("gpsbabel/backfilldate2.nmea").points.empty());

    KORVELA_SKIP_WITHOUT_REALDATA("mini0803");
    QTemporaryDir dir;
    writeFile(dir.path() + "/gps/gps0001.log", realData("mini0803/2015-02-25.txt"));
    const auto mini = gps.readMetaDataFromVideoFile(dir.path() + "/DCIM/100MEDIA/AMBA0001.MP4");
    ASSERT_TRUE(mini);
    // 1814 "A" lines with a position; 201 "V" lines with "+" for a position give samples only.
    EXPECT_EQ(mini->velocityData.size(), 1814u);
    EXPECT_EQ(fixesNear(*mini, 58.9, 24.9, 0.2), 1814u);
    EXPECT_EQ(mini->gSensorData.size(), 2015u);
    EXPECT_EQ(mini->relatedFiles, QStringList{dir.path() + "/gps/gps0001.log"});
    EXPECT_TRUE(std::all_of(mini->points.begin(), mini->points.end(), [](const RVPoint& p) {
        return p.time().isValid() && p.velocity() == -1;
    }));
    // A,250215,155806.000,+5856.1581,N,+02452.9354,E,26.59,-01.23,-08.58,-78.40; local time.
    EXPECT_EQ(text(mini->points.front()), "58.935970 24.882256 2015-02-25 14:58:06.000 -1 0 0");
}
