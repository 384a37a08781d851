// Real recordings and receiver logs from the shared real-data folder, read through the same
// entries the program uses: BlackVue clips as recordings, the Mini log through its reader, and
// NMEA logs of other receivers as Korvela metadata texts.

#include "metadata/RVGpsProcessor.h"
#include "metadata/RVKorvelaMetaDataReader.h"
#include "metadata/RVMiniMetaDataReader.h"

#include "RealData.h"
#include "TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

const QString kRealData = RealData::folder();
// Single-precision coordinates near 150 degrees are good to about 1.5e-5 degrees.
constexpr double kTolerance = 0.00002;

std::size_t nonZeroPoints(const RVMetaData& data)
{
    return std::size_t(std::count_if(data.points.begin(), data.points.end(), [](const RVPoint& p) {
        return !RVGpsProcessor::isZeroPoint(p);
    }));
}

// A receiver's log read as a Korvela side text, through the dispatcher's clean-up.
RVMetaData readLog(const char* relativePath)
{
    const QByteArray text = TestFiles::realData(relativePath);
    auto data = RVKorvelaMetaDataReader::readMetaDataFromText(TestFiles::view(text));
    EXPECT_TRUE(data) << relativePath;
    if (!data)
        return RVMetaData();
    const RVGpsProcessor& gps = RVGpsProcessor::sharedInstance();
    data->gSensorData = gps.normalizeSensorData(data->gSensorData);
    gps.fixFirstAltitudeRecords(data->points);
    EXPECT_EQ(data->points.size(), data->velocityData.size()) << relativePath;
    return *data;
}

struct GpxPoint
{
    double lat = 0;
    double lon = 0;
    double ele = std::nan("");
    std::int64_t timeMs = -1;
};

std::vector<GpxPoint> readGpx(const char* relativePath)
{
    QXmlStreamReader xml(TestFiles::realData(relativePath));
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
    struct Clip
    {
        const char* name;
        std::size_t points;
        std::size_t fixes; // points with a position
        std::size_t samples;
    };
    // Video files are not needed: the reader only looks at the side files named after them.
    for (const Clip& clip :
         {Clip{"20170708_221449_N", 46, 46, 406}, Clip{"20170709_080018_N", 190, 0, 1760},
          Clip{"20170709_084652_P", 6, 6, 465}, Clip{"20170709_084737_E", 133, 129, 1690},
          // Two lines hold UBX bytes; one of them carries a valid fix
          // behind a second prefix.
          Clip{"20170709_085648_N", 36, 36, 322}}) {
        SCOPED_TRACE(clip.name);
        const QString stem = kRealData + "/blackvue-dr650s/" + clip.name;
        const auto data = RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(stem + ".mp4");
        ASSERT_TRUE(data);
        EXPECT_EQ(data->points.size(), clip.points);
        EXPECT_EQ(data->velocityData.size(), clip.points);
        EXPECT_EQ(nonZeroPoints(*data), clip.fixes);
        EXPECT_EQ(data->gSensorData.size(), clip.samples);
        EXPECT_EQ(data->relatedFiles, (QStringList{stem + ".gps", stem + ".3gf"}));
        // Centred samples: the upper median of each axis is now exactly 0.
        for (int axis = 0; axis < 3; ++axis) {
            std::vector<double> values;
            for (const RVSensorData& s : data->gSensorData)
                values.push_back(axis == 0 ? s.x() : axis == 1 ? s.y() : s.z());
            std::sort(values.begin(), values.end());
            EXPECT_EQ(values[values.size() / 2], 0) << axis;
        }
        // Counters start at 0 and increase (ms from the clip's start).
        EXPECT_EQ(data->gSensorData.front().time().text(), "0");
        for (const RVPoint& p : data->points)
            if (!RVGpsProcessor::isZeroPoint(p)) {
                EXPECT_NEAR(p.latitudeValue(), 53.9, 0.1);
                EXPECT_NEAR(p.longitudeValue(), 27.6, 0.2);
            }
    }

    const auto first = RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(
        kRealData + "/blackvue-dr650s/20170708_221449_N.mp4");
    ASSERT_TRUE(first);
    // [1499552090960]$GPRMC,191450.00,A,5357.14375,N,02740.86226,E,7.525,62.67,080717,,,A*56
    EXPECT_EQ(first->points[0].latitude(), "53.952393");
    EXPECT_EQ(first->points[0].longitude(), "27.681038");
    EXPECT_EQ(first->points[0].time().msecsSinceEpoch(), 1499541290000);
    EXPECT_DOUBLE_EQ(first->points[0].velocity(), 7.525 * double(1.852f));
    EXPECT_EQ(first->points[0].altitude(), 222.3); // filled from the GGA after it

    // The parking clip's track file is empty: no reader claims it.
    EXPECT_FALSE(RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(
        kRealData + "/blackvue-dr650s/20170709_080522_P.mp4"));
}

TEST(RealData, MiniLog)
{
    KORVELA_SKIP_WITHOUT_REALDATA("mini0803");
    const QString path = kRealData + "/mini0803/2015-02-25.txt";
    const QByteArray text = TestFiles::realData("mini0803/2015-02-25.txt");
    const RVMetaData data = RVMiniMetaDataReader::readMetaDataFromFile(path, TestFiles::view(text));
    // 1814 "A" lines with a position; 201 "V" lines with "+" for a position give samples only.
    EXPECT_EQ(data.points.size(), 1814u);
    EXPECT_EQ(data.velocityData.size(), 1814u);
    EXPECT_EQ(data.gSensorData.size(), 2015u);
    EXPECT_EQ(nonZeroPoints(data), 1814u);
    EXPECT_EQ(data.relatedFiles, QStringList{path});
    // A,250215,155806.000,+5856.1581,N,+02452.9354,E,26.59,-01.23,-08.58,-78.40;
    const RVPoint& p = data.points.front();
    EXPECT_EQ(p.latitude(), "58.935970");
    EXPECT_EQ(p.longitude(), "24.882256");
    EXPECT_EQ(p.time().msecsSinceEpoch(),
              QDateTime(QDate(2015, 2, 25), QTime(15, 58, 6), Qt::LocalTime).toMSecsSinceEpoch());
    EXPECT_DOUBLE_EQ(data.velocityData.front(), 26.59 * double(1.852f));
    for (const RVPoint& point : data.points) {
        ASSERT_TRUE(point.time().isValid());
        EXPECT_EQ(point.velocity(), -1);
        EXPECT_NEAR(point.latitudeValue(), 58.9, 0.2);
    }
    // The void lines before the first fix are labelled "0", not with a date in 1980 or 2080.
    EXPECT_EQ(data.gSensorData.front().time().text(), "0");
    EXPECT_DOUBLE_EQ(data.gSensorData.front().z(), -7.84);
}

TEST(RealData, GpsBabelLogsMatchGpsBabelsOwnGpx)
{
    // 154 RMC sentences, each after the GGA of the same second; GPSBabel's GPX has 154 points.
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

    // A 4 Hz receiver whose times go out of order; GPSBabel merged some points, so match by time.
    const RVMetaData fast = readLog("gpsbabel/nmea+ms.txt");
    EXPECT_EQ(fast.points.size(), 30u);
    std::map<std::int64_t, const RVPoint*> byTime;
    for (const RVPoint& p : fast.points)
        byTime[p.time().msecsSinceEpoch()] = &p;
    std::size_t matched = 0;
    for (const GpxPoint& g : readGpx("gpsbabel/nmea+ms.gpx")) {
        const auto it = byTime.find(g.timeMs);
        if (it == byTime.end())
            continue;
        ++matched;
        EXPECT_NEAR(it->second->latitudeValue(), g.lat, kTolerance);
        EXPECT_NEAR(it->second->longitudeValue(), g.lon, kTolerance);
    }
    EXPECT_GE(matched, 20u);

    // Hand-edited times: 19 fixes, 42.8S 147.4E; the forms real receivers write are read.
    const RVMetaData times = readLog("gpsbabel/nmeadatetime.nmea");
    ASSERT_EQ(times.points.size(), 19u);
    const std::int64_t base =
        QDateTime(QDate(2019, 10, 23), QTime(22, 25, 7), Qt::UTC).toMSecsSinceEpoch();
    const std::vector<std::int64_t> expected = {
        base,        base + 1000,  base + 2000, base + 3100,  base + 4010, base + 5001,
        base + 6000, base + 7000,  -1,          base + 9000,  -1,          base + 11000,
        -1,          base + 13000, -1,          base + 15000, -1,          base + 17000,
        -1};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const RVTimestamp t = times.points[i].time();
        EXPECT_EQ(t.isValid() ? t.msecsSinceEpoch() : -1, expected[i]) << i;
        EXPECT_NEAR(times.points[i].latitudeValue(), -42.832758, kTolerance);
        EXPECT_NEAR(times.points[i].longitudeValue(), 147.445530, kTolerance);
    }
    // The first RMC comes before any GGA: its altitude is filled from the first GGA.
    EXPECT_EQ(times.points[0].altitude(), 30.0);

    // A track of GGA sentences only gives no points.
    EXPECT_TRUE(readLog("gpsbabel/backfilldate2.nmea").points.empty());
}

TEST(RealData, GpsdReceiverLogs)
{
    struct Log
    {
        const char* name;
        std::size_t points;
        std::size_t fixes;
        double lat;
        double lon;
    };
    for (const Log& log :
         {Log{"gpsd/beidou-gb.log", 5, 2, 0, 0}, Log{"gpsd/ch-4711.log", 14, 14, 55.7, 37.4},
          Log{"gpsd/gp-320fw-2019-04-07-coldboot.log", 13, 1, 48.1, 11.6},
          Log{"gpsd/humminbird-M37.log", 17, 17, 44.4, -71.7},
          Log{"gpsd/neo-m8n.log", 23, 23, 44.1, -121.3},
          Log{"gpsd/sirfstarv-nmea.log", 59, 59, 44.1, -121.3},
          Log{"gpsd/ublox-zed-f9p-nmea.log", 29, 29, -45.9, 170.5}}) {
        SCOPED_TRACE(log.name);
        const RVMetaData data = readLog(log.name);
        EXPECT_EQ(data.points.size(), log.points);
        EXPECT_EQ(nonZeroPoints(data), log.fixes);
        if (log.lat == 0)
            continue;
        for (const RVPoint& p : data.points)
            if (!RVGpsProcessor::isZeroPoint(p)) {
                EXPECT_NEAR(p.latitudeValue(), log.lat, 0.1);
                EXPECT_NEAR(p.longitudeValue(), log.lon, 0.1);
            }
    }

    // Every position we read is one gpsd reported too (its time values are unusable).
    for (const char* name : {"gpsd/ch-4711.log", "gpsd/humminbird-M37.log"}) {
        SCOPED_TRACE(name);
        std::vector<std::pair<double, double>> reported;
        const QByteArray chk = TestFiles::realData((std::string(name) + ".chk").c_str());
        for (const QByteArray& line : chk.split('\n')) {
            if (!line.startsWith('{'))
                continue;
            const QJsonObject tpv = QJsonDocument::fromJson(line).object();
            if (tpv.value("class") == "TPV" && tpv.contains("lat"))
                reported.emplace_back(tpv.value("lat").toDouble(), tpv.value("lon").toDouble());
        }
        ASSERT_FALSE(reported.empty());
        // gpsd leaves out void fixes (status "V"); compare the valid ones, in order.
        const QByteArray log = TestFiles::realData(name);
        std::vector<bool> valid;
        for (const QByteArray& line : log.split('\n'))
            if (line.mid(3, 3) == "RMC" && line.count(',') >= 10)
                valid.push_back(line.split(',').value(2) == "A");
        const RVMetaData data = readLog(name);
        ASSERT_EQ(valid.size(), data.points.size());
        for (std::size_t i = 0; i < valid.size(); ++i) {
            const RVPoint& p = data.points[i];
            if (!valid[i])
                continue;
            const bool found = std::any_of(reported.begin(), reported.end(), [&](const auto& r) {
                return std::fabs(r.first - p.latitudeValue()) < kTolerance &&
                       std::fabs(r.second - p.longitudeValue()) < kTolerance;
            });
            EXPECT_TRUE(found) << p.latitude().toStdString() << " " << p.longitude().toStdString();
        }
    }
}
