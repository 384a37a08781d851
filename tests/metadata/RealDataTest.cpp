// Real recordings and receiver logs read through the program's own entries: BlackVue clips as
// recordings, the Mini log through its reader, other receivers' NMEA logs as Korvela texts.
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVKorvelaMetaDataReader.h"
#include "metadata/RVMiniMetaDataReader.h"

#include "TestFiles.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace TestFiles;

namespace {

// Single-precision coordinates near 150 degrees are good to about 1.5e-5 degrees.
constexpr double kTolerance = 0.00002;

std::size_t fixes(const RVMetaData& data)
{
    return std::size_t(std::count_if(data.points.begin(), data.points.end(), [](const RVPoint& p) {
        return !RVGpsProcessor::isZeroPoint(p);
    }));
}

// Every fix within `degrees` of (lat, lon).
void expectNear(const RVMetaData& data, double lat, double lon, double degrees)
{
    for (const RVPoint& p : data.points)
        if (!RVGpsProcessor::isZeroPoint(p)) {
            EXPECT_NEAR(p.latitudeValue(), lat, degrees);
            EXPECT_NEAR(p.longitudeValue(), lon, degrees);
        }
}

// A receiver's log read as a Korvela side text, with the dispatcher's clean-up.
RVMetaData readLog(const char* relativePath)
{
    const QByteArray bytes = realData(relativePath);
    auto data = RVKorvelaMetaDataReader::readMetaDataFromText(view(bytes));
    EXPECT_TRUE(data) << relativePath;
    if (!data)
        return RVMetaData();
    RVGpsProcessor::sharedInstance().fixFirstAltitudeRecords(data->points);
    EXPECT_EQ(data->points.size(), data->velocityData.size()) << relativePath;
    return *data;
}

struct GpxPoint
{
    double lat = 0, lon = 0, ele = 0;
    std::int64_t timeMs = -1;
};

std::vector<GpxPoint> readGpx(const char* relativePath)
{
    QXmlStreamReader xml(realData(relativePath));
    std::vector<GpxPoint> points;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("trkpt"))
            points.push_back({xml.attributes().value("lat").toDouble(),
                              xml.attributes().value("lon").toDouble()});
        else if (xml.name() == QLatin1String("ele") && !points.empty())
            points.back().ele = xml.readElementText().toDouble();
        else if (xml.name() == QLatin1String("time") && !points.empty())
            points.back().timeMs =
                QDateTime::fromString(xml.readElementText(), Qt::ISODateWithMs).toMSecsSinceEpoch();
    }
    EXPECT_FALSE(xml.hasError()) << relativePath;
    return points;
}

} // namespace

TEST(RealData, BlackVueClipsAsRecordings)
{
    KORVELA_SKIP_WITHOUT_REALDATA("blackvue-dr650s");
    const QString folder = RealData::folder() + "/blackvue-dr650s/";
    const auto read = [&](const char* clip) {
        return RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(folder + clip + ".mp4");
    };
    // Only the side files named after the videos are read. In 085648_N two lines hold UBX
    // bytes, one with a valid fix behind a second prefix.
    const std::tuple<const char*, std::size_t, std::size_t, std::size_t> clips[] = {
        {"20170708_221449_N", 46, 46, 406},
        {"20170709_080018_N", 190, 0, 1760},
        {"20170709_084652_P", 6, 6, 465},
        {"20170709_084737_E", 133, 129, 1690},
        {"20170709_085648_N", 36, 36, 322}};
    for (const auto& [clip, points, fixed, samples] : clips) {
        SCOPED_TRACE(clip);
        const auto data = read(clip);
        ASSERT_TRUE(data);
        EXPECT_EQ(data->points.size(), points);
        EXPECT_EQ(data->velocityData.size(), points);
        EXPECT_EQ(fixes(*data), fixed);
        EXPECT_EQ(data->gSensorData.size(), samples);
        EXPECT_EQ(data->relatedFiles,
                  (QStringList{folder + clip + ".gps", folder + clip + ".3gf"}));
        EXPECT_EQ(data->gSensorData.front().time().text(), "0"); // ms from the clip's start
        expectNear(*data, 53.9, 27.6, 0.2);
    }
    // [1499552090960]$GPRMC,191450.00,A,5357.14375,N,02740.86226,E,7.525,62.67,080717,,,A*56,
    // the altitude filled from the GGA after it.
    EXPECT_EQ(text(read("20170708_221449_N")->points[0]),
              "53.952393 27.681038 2017-07-08 19:14:50.000 13.9362999856 222.3 62.67");
    // The parking clip's track file is empty: no reader claims it.
    EXPECT_FALSE(read("20170709_080522_P"));
}

TEST(RealData, MiniLog)
{
    KORVELA_SKIP_WITHOUT_REALDATA("mini0803");
    const QString path = RealData::folder() + "/mini0803/2015-02-25.txt";
    const QByteArray bytes = realData("mini0803/2015-02-25.txt");
    const RVMetaData data = RVMiniMetaDataReader::readMetaDataFromFile(path, view(bytes));
    // 1814 "A" lines with a position; 201 "V" lines with "+" for a position give samples only.
    EXPECT_EQ(data.points.size(), 1814u);
    EXPECT_EQ(data.velocityData.size(), 1814u);
    EXPECT_EQ(data.gSensorData.size(), 2015u);
    EXPECT_EQ(fixes(data), 1814u);
    EXPECT_EQ(data.relatedFiles, QStringList{path});
    // A,250215,155806.000,+5856.1581,N,+02452.9354,E,26.59,-01.23,-08.58,-78.40; local time.
    EXPECT_EQ(text(data.points.front()), "58.935970 24.882256 2015-02-25 14:58:06.000 -1 0 0");
    EXPECT_EQ(num(data.velocityData.front()), "49.2446799493");
    EXPECT_TRUE(std::all_of(data.points.begin(), data.points.end(), [](const RVPoint& p) {
        return p.time().isValid() && p.velocity() == -1;
    }));
    expectNear(data, 58.9, 24.9, 0.2);
    // The void lines before the first fix are labelled "0", not with a date in 1980 or 2080.
    EXPECT_EQ(text(data.gSensorData.front()), "-0.061 0.204 -7.84 7.84289085733 0");
}

TEST(RealData, GpsBabelLogsMatchGpsBabelsOwnGpx)
{
    // 154 RMC sentences, each after the GGA of the same second.
    const RVMetaData data = readLog("gpsbabel/nmea");
    const std::vector<GpxPoint> gpx = readGpx("gpsbabel/nmea.gpx");
    ASSERT_EQ(data.points.size(), 154u);
    ASSERT_EQ(gpx.size(), 154u);
    for (std::size_t i = 0; i < gpx.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(data.points[i].latitudeValue(), gpx[i].lat, kTolerance);
        EXPECT_NEAR(data.points[i].longitudeValue(), gpx[i].lon, kTolerance);
        EXPECT_NEAR(data.points[i].altitude(), gpx[i].ele, 1e-9);
        EXPECT_EQ(data.points[i].time().msecsSinceEpoch(), gpx[i].timeMs);
    }

    // A 4 Hz receiver whose times go out of order; GPSBabel merged some points: match by time.
    const RVMetaData fast = readLog("gpsbabel/nmea+ms.txt");
    EXPECT_EQ(fast.points.size(), 30u);
    std::map<std::int64_t, const RVPoint*> byTime;
    for (const RVPoint& p : fast.points)
        byTime[p.time().msecsSinceEpoch()] = &p;
    std::size_t matched = 0;
    for (const GpxPoint& g : readGpx("gpsbabel/nmea+ms.gpx"))
        if (const auto it = byTime.find(g.timeMs); it != byTime.end()) {
            ++matched;
            EXPECT_NEAR(it->second->latitudeValue(), g.lat, kTolerance);
            EXPECT_NEAR(it->second->longitudeValue(), g.lon, kTolerance);
        }
    EXPECT_GE(matched, 20u);

    // Hand-edited times at 42.8S 147.4E: the forms real receivers write are read, in ms from
    // 22:25:07 UTC (-1: none). The first RMC comes before any GGA: the first GGA's altitude.
    const RVMetaData times = readLog("gpsbabel/nmeadatetime.nmea");
    const std::int64_t base =
        QDateTime(QDate(2019, 10, 23), QTime(22, 25, 7), Qt::UTC).toMSecsSinceEpoch();
    const std::vector<std::int64_t> expected = {0,    1000,  2000, 3100,  4010,  5001, 6000,
                                                7000, -1,    9000, -1,    11000, -1,   13000,
                                                -1,   15000, -1,   17000, -1};
    std::vector<std::int64_t> read;
    for (const RVPoint& p : times.points)
        read.push_back(p.time().isValid() ? p.time().msecsSinceEpoch() - base : -1);
    EXPECT_EQ(read, expected);
    expectNear(times, -42.832758, 147.445530, kTolerance);
    EXPECT_EQ(times.points.at(0).altitude(), 30.0);
    // A track of GGA sentences only gives no points.
    EXPECT_TRUE(readLog("gpsbabel/backfilldate2.nmea").points.empty());
}

TEST(RealData, GpsdReceiverLogs)
{
    const std::tuple<const char*, std::size_t, std::size_t, double, double> logs[] = {
        {"gpsd/beidou-gb.log", 5, 2, 0, 0},
        {"gpsd/ch-4711.log", 14, 14, 55.7, 37.4},
        {"gpsd/gp-320fw-2019-04-07-coldboot.log", 13, 1, 48.1, 11.6},
        {"gpsd/humminbird-M37.log", 17, 17, 44.4, -71.7},
        {"gpsd/neo-m8n.log", 23, 23, 44.1, -121.3},
        {"gpsd/sirfstarv-nmea.log", 59, 59, 44.1, -121.3},
        {"gpsd/ublox-zed-f9p-nmea.log", 29, 29, -45.9, 170.5}};
    for (const auto& [name, points, fixed, lat, lon] : logs) {
        SCOPED_TRACE(name);
        const RVMetaData data = readLog(name);
        EXPECT_EQ(data.points.size(), points);
        EXPECT_EQ(fixes(data), fixed);
        if (lat != 0)
            expectNear(data, lat, lon, 0.1);
    }
}
