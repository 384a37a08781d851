// Track files from other devices: GPX, KML and NMEA logs. Real logs where they exist (a
// receiver's NMEA with GPSBabel's own GPX of it, gpsd's receiver logs); small documents
// written here for the shapes the real files lack.
#include "metadata/RVTrackFile.h"

#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

using TestFiles::utc;

namespace {

RVTrackFileReading read(const char* text)
{
    return RVTrackFiles::readTrackText(QByteArray(text));
}

} // namespace

TEST(TrackFileReaders, NmeaLogAgreesFixByFixWithGpsBabelsGpx)
{
    KORVELA_SKIP_WITHOUT_REALDATA("gpsbabel/nmea");
    const RVTrackFileReading nmea =
        RVTrackFiles::readTrackText(TestFiles::realData("gpsbabel/nmea"));
    const RVTrackFileReading gpx =
        RVTrackFiles::readTrackText(TestFiles::realData("gpsbabel/nmea.gpx"));
    ASSERT_TRUE(nmea.ok()) << qPrintable(nmea.message());
    ASSERT_TRUE(gpx.ok()) << qPrintable(gpx.message());
    EXPECT_EQ(nmea.format, "NMEA");
    EXPECT_EQ(gpx.format, "GPX");
    ASSERT_EQ(nmea.fixes.size(), 154u);
    ASSERT_EQ(gpx.fixes.size(), 154u);
    EXPECT_EQ(gpx.fixes.front().time, utc("2004-08-07T03:29:08.379Z"));
    for (std::size_t i = 0; i < nmea.fixes.size(); ++i) {
        const RVTrackFix& a = nmea.fixes[i];
        const RVTrackFix& b = gpx.fixes[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(a.time, b.time);
        // The NMEA side converts in single precision, as the cameras' software does: ~1 m.
        EXPECT_NEAR(a.latitude, b.latitude, 2e-5);
        EXPECT_NEAR(a.longitude, b.longitude, 2e-5);
        EXPECT_NEAR(a.altitude, b.altitude, 1e-6);
        EXPECT_NEAR(a.courseDegrees, b.courseDegrees, 1e-4);
    }
    EXPECT_NEAR(gpx.fixes.front().speedKmh, 0.083333 * 3.6, 1e-6); // GPX 1.0 speed is m/s
    EXPECT_NEAR(gpx.fixes.front().longitude, -88.121721667, 1e-9);
}

TEST(TrackFileReaders, ReceiverLogsOfOtherShapes)
{
    KORVELA_SKIP_WITHOUT_REALDATA("gpsd/humminbird-M37.log");
    // The log, its timed fixes with a position, the first one's latitude and longitude.
    const std::tuple<const char*, std::size_t, double, double> cases[] = {
        // $INRMC talker, 12-field RMC, times without fraction, time going back once.
        {"gpsd/humminbird-M37.log", 17, 0, 0},
        // NMEA 4.11: RMC with 14 fields, CRLF, south and east.
        {"gpsd/ublox-zed-f9p-nmea.log", 29, -45.0, 170.0},
        // A 4 Hz receiver whose timestamps come out of order: sorted on reading.
        {"gpsbabel/nmea+ms.txt", 30, 53.0, 10.0},
    };
    for (const auto& [file, fixes, latitude, longitude] : cases) {
        SCOPED_TRACE(file);
        const RVTrackFileReading reading = RVTrackFiles::readTrackText(TestFiles::realData(file));
        ASSERT_TRUE(reading.ok()) << qPrintable(reading.message());
        EXPECT_EQ(reading.fixes.size(), fixes);
        for (std::size_t i = 1; i < reading.fixes.size(); ++i)
            EXPECT_LE(reading.fixes[i - 1].time, reading.fixes[i].time);
        if (latitude != 0) {
            EXPECT_NEAR(reading.fixes.front().latitude, latitude, 1.0);
            EXPECT_NEAR(reading.fixes.front().longitude, longitude, 1.0);
        }
    }
    // Garbage dates, cut-short RMCs, sentences joined mid-line: whatever is read is a fix in
    // range with a time, nothing else.
    const RVTrackFileReading spoofed =
        RVTrackFiles::readTrackText(TestFiles::realData("gpsd/gp-320fw-2019-04-07-coldboot.log"));
    for (const RVTrackFix& fix : spoofed.fixes) {
        EXPECT_TRUE(fix.time.isValid());
        EXPECT_LE(std::abs(fix.latitude), 90.0);
    }
    // A log of GGA lines alone has no dates: nothing to place in time, and it says so.
    const RVTrackFileReading ggaOnly =
        RVTrackFiles::readTrackText(TestFiles::realData("gpsbabel/backfilldate2.nmea"));
    EXPECT_EQ(ggaOnly.error, RVTrackFileError::NoTimedPoint);
    EXPECT_GT(ggaOnly.untimedPoints, 100);
    EXPECT_TRUE(ggaOnly.message().contains("none with a time")) << qPrintable(ggaOnly.message());
}

TEST(TrackFileReaders, GpxOfAPhoneAndKmlPlacemarksAndTracks)
{
    const RVTrackFileReading reading = read(R"(<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="phone" xmlns="http://www.topografix.com/GPX/1/1"
     xmlns:gpxtpx="http://www.garmin.com/xmlschemas/TrackPointExtension/v2">
  <wpt lat="52.5" lon="13.4"><name>home</name></wpt>
  <trk><trkseg>
    <trkpt lat="52.520000" lon="13.405000"><ele>34.5</ele><time>2024-05-01T10:15:31+02:00</time>
      <extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>10</gpxtpx:speed>
      <gpxtpx:course>90.5</gpxtpx:course></gpxtpx:TrackPointExtension></extensions></trkpt>
    <trkpt lat="-33.5" lon="-70.25"><time>2024-05-01T08:15:30.250Z</time></trkpt>
    <trkpt lat="95" lon="13"><time>2024-05-01T08:15:32Z</time></trkpt>
    <trkpt lat="52.6" lon="13.5"><time>2024-05-01T08:15:33</time></trkpt>
  </trkseg></trk>
</gpx>)");
    ASSERT_TRUE(reading.ok()) << qPrintable(reading.message());
    ASSERT_EQ(reading.fixes.size(), 3u);
    // In time order; the offset is honoured, and a time without a zone is UTC.
    EXPECT_EQ(reading.fixes[0].time, utc("2024-05-01T08:15:30.250Z"));
    EXPECT_DOUBLE_EQ(reading.fixes[0].latitude, -33.5);
    EXPECT_DOUBLE_EQ(reading.fixes[0].longitude, -70.25);
    EXPECT_TRUE(std::isnan(reading.fixes[0].altitude));
    EXPECT_TRUE(std::isnan(reading.fixes[0].speedKmh));
    EXPECT_EQ(reading.fixes[1].time, utc("2024-05-01T08:15:31Z"));
    EXPECT_DOUBLE_EQ(reading.fixes[1].altitude, 34.5);
    EXPECT_DOUBLE_EQ(reading.fixes[1].speedKmh, 36.0);
    EXPECT_DOUBLE_EQ(reading.fixes[1].courseDegrees, 90.5);
    EXPECT_EQ(reading.fixes[2].time, utc("2024-05-01T08:15:33Z"));
    // The untimed waypoint and the latitude out of range are counted, not kept.
    EXPECT_EQ(reading.untimedPoints, 2);

    // A logger that died mid-write: the points before the break stay.
    const RVTrackFileReading cut = read(R"(<gpx><trk><trkseg>
<trkpt lat="1" lon="2"><time>2024-05-01T08:00:00Z</time></trkpt>
<trkpt lat="1.1" lon="2.1"><time>2024-05-01T08:00:01Z</time></trkpt>
<trkpt lat="1.2" lon="2.2"><ti)");
    ASSERT_TRUE(cut.ok());
    EXPECT_EQ(cut.fixes.size(), 2u);

    // KML: placemarks and tracks.
    const RVTrackFileReading kml = read(R"(<?xml version="1.0" encoding="UTF-8"?>
<kml xmlns="http://www.opengis.net/kml/2.2" xmlns:gx="http://www.google.com/kml/ext/2.2">
<Document>
  <Placemark><TimeStamp><when>2024-05-01T08:00:00Z</when></TimeStamp>
    <Point><coordinates>13.4,52.5,30</coordinates></Point></Placemark>
  <Placemark><name>no time</name><Point><coordinates>13.5,52.6</coordinates></Point></Placemark>
  <Placemark><LineString><coordinates>13.4,52.5,0 13.5,52.6,0
    13.6,52.7,0</coordinates></LineString></Placemark>
  <Placemark><gx:MultiTrack><gx:Track>
    <when>2024-05-01T08:00:02Z</when><when>2024-05-01T08:00:01Z</when><when>bad</when>
    <gx:coord>13.42 52.52 31.5</gx:coord><gx:coord>13.41 52.51 31</gx:coord>
    <gx:coord>13.43 52.53 32</gx:coord><gx:coord>13.44 52.54 33</gx:coord>
  </gx:Track></gx:MultiTrack></Placemark>
</Document></kml>)");
    ASSERT_TRUE(kml.ok()) << qPrintable(kml.message());
    ASSERT_EQ(kml.fixes.size(), 3u);
    EXPECT_EQ(kml.fixes[0].time, utc("2024-05-01T08:00:00Z"));
    EXPECT_DOUBLE_EQ(kml.fixes[0].longitude, 13.4);
    EXPECT_DOUBLE_EQ(kml.fixes[0].latitude, 52.5);
    EXPECT_DOUBLE_EQ(kml.fixes[0].altitude, 30);
    // The i-th when belongs to the i-th coord, whatever their order in time.
    EXPECT_EQ(kml.fixes[1].time, utc("2024-05-01T08:00:01Z"));
    EXPECT_DOUBLE_EQ(kml.fixes[1].latitude, 52.51);
    EXPECT_EQ(kml.fixes[2].time, utc("2024-05-01T08:00:02Z"));
    EXPECT_DOUBLE_EQ(kml.fixes[2].longitude, 13.42);
    EXPECT_DOUBLE_EQ(kml.fixes[2].altitude, 31.5);
    // The untimed point, the line's three, the coord with a bad when and the one without.
    EXPECT_EQ(kml.untimedPoints, 6);

    // KML 2.3 spells the track without the extension prefix.
    const RVTrackFileReading kml23 = read(R"(<kml xmlns="http://www.opengis.net/kml/2.3">
<Placemark><Track><when>2024-05-01T08:00:00Z</when><coord>1.5 2.5 3</coord></Track></Placemark></kml>)");
    ASSERT_EQ(kml23.fixes.size(), 1u);
    EXPECT_DOUBLE_EQ(kml23.fixes[0].latitude, 2.5);
}

TEST(TrackFileReaders, ErrorsSayWhatIsWrong)
{
    // The text, its error and a part of the message.
    const std::tuple<const char*, RVTrackFileError, const char*> cases[] = {
        {"", RVTrackFileError::UnknownFormat, "not a GPX, KML or NMEA track"},
        {"hello, world\n", RVTrackFileError::UnknownFormat, "not a GPX"},
        {"<html><body/></html>", RVTrackFileError::UnknownFormat, "not a GPX"},
        {"<gpx><trk><trkpt lat=\"1\" lon=\"2\"></trkpt></trk></gpx>",
         RVTrackFileError::NoTimedPoint, "GPX file holds 1 positions but none with a time"},
        {"<gpx><trk></gpx>", RVTrackFileError::Malformed, "GPX file is damaged (line 1"},
        {"<kml><Placemark><LineString><coordinates>1,2 3,4</coordinates></LineString></Placemark>"
         "</kml>",
         RVTrackFileError::NoTimedPoint, "KML file holds 2 positions"},
        // A void fix: (0, 0) is no place.
        {"$GPRMC,120000,V,,,,,,,010524,,\n", RVTrackFileError::NoTimedPoint, "NMEA file"},
    };
    for (const auto& [text, error, inMessage] : cases) {
        SCOPED_TRACE(text);
        const RVTrackFileReading reading = read(text);
        EXPECT_EQ(reading.error, error);
        EXPECT_TRUE(reading.fixes.empty());
        EXPECT_TRUE(reading.message().contains(QLatin1String(inMessage)))
            << qPrintable(reading.message());
    }
    QTemporaryDir dir;
    const RVTrackFileReading missing = RVTrackFiles::readTrackFile(dir.path() + "/phone.gpx");
    EXPECT_EQ(missing.error, RVTrackFileError::Unreadable);
    EXPECT_TRUE(missing.message().contains("phone.gpx")) << qPrintable(missing.message());
    const RVTrackFileReading folder = RVTrackFiles::readTrackFile(dir.path());
    EXPECT_EQ(folder.error, RVTrackFileError::Unreadable);
}

TEST(TrackFileReaders, IsoTimes)
{
    // The text and the instant it gives; nullptr: no time.
    const std::pair<const char*, const char*> cases[] = {
        {"2024-05-01T10:15:30Z", "2024-05-01T10:15:30.000Z"},
        {" 2024-05-01T10:15:30.5Z\n", "2024-05-01T10:15:30.500Z"},
        {"2024-05-01T12:15:30+02:00", "2024-05-01T10:15:30.000Z"},
        {"2024-05-01T10:15:30", "2024-05-01T10:15:30.000Z"},
        {"2024-05-01", nullptr},
        {"yesterday", nullptr},
        {"2024-13-01T10:15:30Z", nullptr}};
    for (const auto& [text, instant] : cases) {
        SCOPED_TRACE(text);
        const RVTimestamp time = RVTrackFiles::parseIsoTime(QString::fromLatin1(text));
        if (instant)
            EXPECT_EQ(time, utc(instant));
        else
            EXPECT_FALSE(time.isValid());
    }
}
