// Logs beside the video: plain NMEA logs named after it, Escort's ".map" logs, DriveVision's
// logs in the card's "GPSdata" folder, and the running GPS logs of 70mai cameras in the card's
// root (a real one from GPSBabel's test data).
#include "metadata/RVDegreesPoint.h"
#include "metadata/RVDriveVisionMetaDataReader.h"
#include "metadata/RVEscortMetaDataReader.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVNmeaLogMetaDataReader.h"

#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace TestFiles;

namespace {

const QByteArray kGga = "$GPGGA,134501.000,5545.1234,N,03736.5678,E,1,08,0.9,150,M,14.0,M,,\r\n";
const QByteArray kRmc = "$GPRMC,134501.000,A,5545.1234,N,03736.5678,E,10.0,45.5,050215,,,A\r\n";

// "format points samples first-point related-files" or "none: why".
std::string read(const QString& video, const QString& folder)
{
    QString format;
    std::vector<std::pair<QString, RVDecline>> declines;
    const auto data =
        RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(video, &format, &declines);
    if (!data) {
        QString why;
        for (const auto& [reader, decline] : declines) {
            if (decline.kind != RVDecline::Kind::NotMine)
                why += ' ' + reader + ": " + declineKindName(decline.kind);
        }
        return "none" + why.toStdString();
    }
    return format.toStdString() + ' ' + std::to_string(data->points.size()) + ' ' +
           std::to_string(data->gSensorData.size()) + ' ' +
           (data->points.empty() ? "-" : text(data->points.front())) + " " +
           data->relatedFiles.join(' ').remove(folder).toStdString();
}

} // namespace

TEST(SideLogs, NmeaLogNamedAfterTheVideo)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/DCIM/";
    const std::string point = "55.752060 37.609463 2015-02-05 13:45:01.000 18.5199999809 150 45.5";
    // The log, its text and the start of what is read.
    const std::tuple<const char*, QByteArray, std::string> cases[] = {
        {"FILE0001.nmea", "$GPGSV,3,1\r\n" + kGga + kRmc,
         "NMEA log 1 0 " + point + " FILE0001.nmea"},
        // Mio MiVue's upper-case extension; a banner and blank lines are skipped.
        {"FILE0001.NMEA", "MiVue\r\n\r\n" + kRmc + kRmc, "NMEA log 2 0 "},
        {"FILE0001.log", kGga, "NMEA log 0 0 - FILE0001.log"},
        {"FILE0001.gps", kRmc, "NMEA log 1 0 "},
        // A log of another kind is not claimed.
        {"FILE0001.log", "started\nstopped\n", "none"},
        {"FILE0001.nmea", "", "none"},
    };
    for (const auto& [log, text, expected] : cases) {
        QDir(folder).removeRecursively();
        writeFile(folder + log, text);
        writeFile(folder + "FILE0001.MP4", "video");
        const std::string got = read(folder + "FILE0001.MP4", folder);
        EXPECT_EQ(got.substr(0, expected.size()), expected) << log << ": " << got;
    }
    // Every NMEA sentence of a real receiver's log, as an independent reader counts its fixes.
    QDir(folder).removeRecursively();
    writeFile(folder + "FILE0002.nmea", realData("gpsbabel/nmea"));
    writeFile(folder + "FILE0002.MP4", "video");
    EXPECT_EQ(read(folder + "FILE0002.MP4", folder).substr(0, 13), "NMEA log 154 ");
    // A real Navman MiVue 150 log (coordinates rounded at the source): seven fixes and the
    // G-sensor after each second's sentences, the first one before any fix. A newer MiVue's
    // longer sensor line gives its first three values; a line missing one gives nothing.
    QDir(folder).removeRecursively();
    writeFile(folder + "FILE260625-144859.NMEA",
              realData("dashcamigo/navman-mivue150.NMEA") +
                  "$GSENSORD,0.021,0.092,-0.015,[-0.724,-0.066,0.617],0.096, 1447001\r\n"
                  "$GSENSORD,0.1,,0.2\r\n");
    writeFile(folder + "FILE260625-144859.MP4", "video");
    EXPECT_EQ(read(folder + "FILE260625-144859.MP4", folder).substr(0, 58),
              "NMEA log 7 8 -23.000000 150.000000 2026-06-25 04:48:58.000");
    const auto mivue =
        RVNmeaLogMetaDataReader().readMetaDataFromVideoFile(folder + "FILE260625-144859.MP4");
    ASSERT_TRUE(mivue && mivue->points.size() == 7u && mivue->gSensorData.size() == 8u);
    const auto sample = [&mivue](std::size_t i) { return text(mivue->gSensorData[i]); };
    EXPECT_EQ(sample(0).substr(0, 16), "0.25 0.06 -0.06 ");
    EXPECT_EQ(sample(0).substr(sample(0).size() - 2), " 0");
    EXPECT_EQ(sample(1).substr(0, 16), "0.31 0.06 -0.12 ");
    EXPECT_EQ(mivue->gSensorData[1].time().instantValue(), mivue->points[0].time());
    EXPECT_EQ(sample(7).substr(0, 20), "0.021 0.092 -0.015 0");
    EXPECT_EQ(mivue->gSensorData[7].time().instantValue(), mivue->points[6].time());

    // BlackVue's prefixed track stays BlackVue's.
    const QString record = dir.path() + "/BlackVue/Record/";
    writeFile(record + "20170708_221449_N.gps", "[1499552090960]" + kRmc);
    writeFile(record + "20170708_221449_NF.mp4", "video");
    EXPECT_EQ(read(record + "20170708_221449_NF.mp4", record).substr(0, 10), "BlackVue 1");
}

TEST(SideLogs, EscortMapLogBesideItsVideo)
{
    // A real Escort M2 log (its coordinates replaced at the source by 37 N 121 W): ten lines a
    // second apart from 00:15:55 on the camera's clock, the speed in km/h, g with gravity.
    QTemporaryDir dir;
    const QString folder = dir.path() + "/Normal/";
    writeFile(folder + "20260511_0016_CAM.map", realData("dashcamigo/escort-m2.map"));
    writeFile(folder + "20260511_0016_CAM.MP4", "video");
    EXPECT_EQ(read(folder + "20260511_0016_CAM.MP4", folder),
              "Escort 10 10 37.000000 -121.000000 2026-05-10 22:15:55.000 117.36 nan 0 "
              "20260511_0016_CAM.map");

    // A line without a fix gives its sample alone; the course is the way to the next position.
    const RVMetaData log =
        RVEscortMetaDataReader::readLog("V,110526,001555,,N,,W,0,0.1,0.2,1.5;\r\n"
                                        "A,110526,001556,3700.0000,N,12100.0000,W,36,0,0,1;\r\n"
                                        "A,110526,001557,3700.0100,N,12059.9900,W,36.5,0,0,1;\r\n"
                                        "A,110526,001558,3700.0000,N,12059.9900,W,x,0,0,1;\r\n");
    ASSERT_EQ(log.points.size(), 2u);
    EXPECT_EQ(log.gSensorData.size(), 4u);
    EXPECT_EQ(text(log.points[1]).substr(0, 55),
              "37.000167 -120.999833 2026-05-11 00:15:57.000 36.5 nan ");
    EXPECT_NEAR(log.points[1].azimut(), 38.612, 1e-3); // north-east at 37 N
    // A degree of longitude at 60 N.
    EXPECT_NEAR(RVDegreesPoint::metresBetween(60, 0, 60, 1), 55597.01, 0.01);
}

TEST(SideLogs, DriveVisionLogInTheCardsGpsFolder)
{
    // A real DriveVision log (Queensland): 59 lines a second apart from 11:38:49 on the camera's
    // clock, each ended by a carriage return, padded with blanks; its recording protected.
    QTemporaryDir dir;
    const QString card = dir.path() + "/";
    const QString log = "GPSdata/20250629113849_000157A.TXT";
    writeFile(card + log, realData("dashmap/20250629113849_000157A.TXT"));
    for (const char* video : {"RO/20250629113849_000157A.mp4", "20250629113949_000158A.MP4"})
        writeFile(card + "CARDV/MOVIE_A/" + video, "video");
    EXPECT_EQ(read(card + "CARDV/MOVIE_A/RO/20250629113849_000157A.mp4", card),
              "DriveVision 59 59 -16.924295 145.432465 2025-06-29 09:38:49.000 41.45 397.35 "
              "208.06 " +
                  log.toStdString());
    EXPECT_EQ(read(card + "CARDV/MOVIE_A/20250629113949_000158A.MP4", card), "none");

    // A line without a fix gives its sample alone; other hemispheres; miles an hour.
    const RVMetaData other = RVDriveVisionMetaDataReader::readLog(
        "2025/06/29 11:38:49 N:0.000000 E:0.000000 0.00 km/h 0.00 0.00 0 x:+0.1 y:0 z:-0.1\r"
        "2025/06/29 11:38:50 N:51.5 W:0.125 10.00 mph 90.5 35.0 9 x:0 y:0 z:0\r    ");
    ASSERT_EQ(other.points.size(), 1u);
    EXPECT_EQ(other.gSensorData.size(), 2u);
    EXPECT_EQ(text(other.points[0]),
              "51.500000 -0.125000 2025-06-29 11:38:50.000 16.09344 35 90.5");
}

TEST(SideLogs, SeventyMaiRunningLogCoversItsRecordings)
{
    KORVELA_SKIP_WITHOUT_REALDATA("gpsbabel/GPSData000001-A810-Doriel.txt");
    QTemporaryDir dir;
    const QString card = dir.path() + "/";
    writeFile(card + "GPSData000001.txt", realData("gpsbabel/GPSData000001-A810-Doriel.txt"));
    const auto video = [&](const QString& path) {
        writeFile(card + path, "video");
        return read(card + path, card);
    };
    // The log's first recording: 121 fixes from 20:45:56 UTC (06:45:56 on the camera's
    // clock), speed 7.77 m/s, course 325 degrees, three axes in hundredths of g.
    const std::string first =
        "70mai log 121 121 46.840330 29.463088 2025-02-21 20:45:56.000 27.972 nan 325 ";
    EXPECT_EQ(video("Normal/Front/NO20250222-064554-000000F.MP4"), first);
    // The rear camera's file of the same moment is never named in the log: its start time is.
    EXPECT_EQ(video("Normal/Back/NO20250222-064555-000000B.MP4"), first);
    EXPECT_EQ(video("Normal/Back/NO20250222-064557-000000B.MP4"), "none 70mai log: no fix yet");
    // Lines after a restart of the camera (another "$V02" line) are read on.
    EXPECT_EQ(video("Normal/Front/NO20250222-162757-000023F.MP4").substr(0, 14), "70mai log 107 ");
    // Another mode's recording of that minute is another recording.
    EXPECT_EQ(video("Event/Front/EV20250222-064554-000000F.MP4"), "none 70mai log: no fix yet");
    // Not a 70mai name: the log is not asked.
    EXPECT_EQ(video("Normal/Front/FILE0001.MP4"), "none");
}
