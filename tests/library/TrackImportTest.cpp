// A track of another device (the driver's phone) imported for a card: matched to recordings
// by their corrected start, shown instead of nothing, never instead of a camera's own fixes
// unless asked, remembered per card and removable.
#include "TestSupport.h"

#include "RealData.h"
#include "library/RVTrackImports.h"
#include "library/RVTripStats.h"
#include "metadata/RVCameraClock.h"
#include "metadata/RVNmeaTrackFileReader.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

// A phone's GPX: one fix a second from 14:59:55 to 15:00:45 UTC on 2024-05-22, its latitude
// telling the second (52 + 0.001 per second after 15:00:00).
QByteArray phoneGpx()
{
    QByteArray gpx = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"phone\" "
                     "xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>\n";
    for (int second = -5; second <= 45; ++second) {
        const QDateTime time = at("2024-05-22T15:00:00").toDateTime().addSecs(second);
        gpx += QStringLiteral("<trkpt lat=\"%1\" lon=\"13.4\"><time>%2</time></trkpt>\n")
                   .arg(52.0 + 0.001 * second, 0, 'f', 6)
                   .arg(time.toString(Qt::ISODate))
                   .toUtf8();
    }
    return gpx + "</trkseg></trk></gpx>\n";
}

// The children of the one trip the list holds, read.
RVVideoDataList readTrip(RVVideoList& list)
{
    list.waitForIdle();
    const RVVideoDataList tree = *list.videosData();
    if (tree.size() != 1)
        return {};
    list.readGpsInfo(tree[0], false);
    return tree[0]->children();
}

// The second after 15:00:00 a point's latitude tells.
int secondOf(const RVPoint& point)
{
    return int(std::lround((point.latitudeValue() - 52.0) / 0.001));
}

} // namespace

TEST(TrackImport, PhoneTrackLandsOnTheRecordingsByTheirCorrectedClock)
{
    QTemporaryDir dir;
    RVTrackImports::setStorageFolder(dir.filePath("data/imported-tracks"));
    const QString card = dir.filePath("card");
    const QString movie = card + "/DCIM/Movie/";
    // The camera's clock runs three hours behind UTC: 12:00:00 on its clock is 15:00:00.
    const QStringList recordings = {"2024_0522_120000_001F.MP4", "2024_0522_120010_002F.MP4",
                                    "2024_0522_120020_003F.MP4"};
    for (const QString& name : recordings)
        makeClip(movie + name, 10);
    const QString ownGps = movie + recordings[2];
    const RVMetaDataSource source = [ownGps](const QString& path) -> RVMetaDataReading {
        if (path != ownGps)
            return RVMetaDataReading(RVMetaData{}); // read, but no fix
        RVMetaData meta;
        for (int i = 0; i < 10; ++i)
            meta.points.emplace_back("55.750000", "37.610000", 120.0, 90.0, 40.0,
                                     RVTimestamp::fromMSecsSinceEpoch(
                                         at("2024-05-22T15:00:20").msecsSinceEpoch() + 1000 * i));
        meta.velocityData.assign(10, 40.0);
        return RVMetaDataReading(std::move(meta));
    };
    RVCameraClock::clearRules();
    RVCameraClock::setRule(card, RVCameraFamily::Novatek, RVClockRule{"UTC", 3 * 3600});
    const QString gpx = dir.filePath("phone.gpx");
    writeFile(gpx, phoneGpx());

    auto list = idleList(source, card);
    RVVideoDataList children = readTrip(*list);
    ASSERT_EQ(children.size(), 3u);
    EXPECT_TRUE(children[0]->points()->empty());
    const RVImportResult result =
        list->importTrack(gpx, *list->videosData(), true, RVImportPreference::CameraFirst);
    ASSERT_TRUE(result.ok()) << qPrintable(result.reading.message() + result.storeError);
    EXPECT_EQ(result.cards, 1);
    EXPECT_EQ(result.matchedRecordings, 3);

    const auto expectSeconds = [](const RVVideoDataPtr& node, int firstSecond) {
        const RVPointSeries points = node->points();
        ASSERT_TRUE(points);
        const float duration = node->files().front()->knownDuration();
        ASSERT_EQ(points->size(), std::size_t(std::ceil(duration)));
        ASSERT_EQ(node->velocityData()->size(), points->size());
        for (std::size_t i = 0; i < points->size(); ++i) {
            EXPECT_EQ(secondOf((*points)[i]), firstSecond + int(i));
            EXPECT_EQ((*points)[i].time().msecsSinceEpoch(),
                      at("2024-05-22T15:00:00").msecsSinceEpoch() +
                          1000 * (firstSecond + std::int64_t(i)));
        }
        EXPECT_TRUE(node->trackImported());
    };
    children = readTrip(*list);
    ASSERT_EQ(children.size(), 3u);
    expectSeconds(children[0], 0);
    expectSeconds(children[1], 10);
    // The camera's own fixes win by default.
    EXPECT_FALSE(children[2]->trackImported());
    EXPECT_EQ(children[2]->points()->front().latitude(), "55.750000");
    EXPECT_TRUE(list->videosData()->front()->trackImported());
    // A speed the phone did not record is the way between its fixes: 0.001° in a second.
    EXPECT_NEAR((*children[0]->velocityData())[1], 111.2 * 3.6, 0.5);

    // Asked to, the import wins over the camera for the chosen recording.
    const RVImportResult chosen =
        list->importTrack(gpx, {children[2]}, false, RVImportPreference::ImportFirst);
    ASSERT_TRUE(chosen.ok());
    EXPECT_EQ(chosen.matchedRecordings, 1);
    children = readTrip(*list);
    ASSERT_EQ(children.size(), 3u);
    expectSeconds(children[2], 20);

    // Remembered in the data folder, not on the card: a list made afresh (the card read again)
    // shows the imports.
    EXPECT_EQ(QDir(card).entryList(QDir::Files).size(), 0);
    RVTrackImports::setStorageFolder(dir.filePath("data/imported-tracks"));
    list = idleList(source, card);
    children = readTrip(*list);
    ASSERT_EQ(children.size(), 3u);
    expectSeconds(children[0], 0);
    expectSeconds(children[2], 20);

    // Removing the recording's import brings back its camera's track; the card's stays.
    ASSERT_EQ(list->removeImportedTracks({children[2]}, false), 1);
    children = readTrip(*list);
    ASSERT_EQ(children.size(), 3u);
    EXPECT_FALSE(children[2]->trackImported());
    EXPECT_EQ(children[2]->points()->front().latitude(), "55.750000");
    expectSeconds(children[1], 10);
    // Removing the card's imports restores the camera's own data everywhere.
    ASSERT_EQ(list->removeImportedTracks(*list->videosData(), true), 1);
    children = readTrip(*list);
    ASSERT_EQ(children.size(), 3u);
    EXPECT_TRUE(children[0]->points()->empty());
    EXPECT_FALSE(children[0]->trackImported());
    EXPECT_FALSE(list->videosData()->front()->trackImported());
    EXPECT_TRUE(QDir(dir.filePath("data/imported-tracks")).entryList(QDir::Files).isEmpty());

    // A file without a timed point imports nothing and says why.
    writeFile(dir.filePath("line.kml"),
              "<kml><Placemark><LineString><coordinates>13.4,52.5 13.5,52.6</coordinates>"
              "</LineString></Placemark></kml>");
    const RVImportResult untimed = list->importTrack(dir.filePath("line.kml"), *list->videosData(),
                                                     true, RVImportPreference::CameraFirst);
    EXPECT_EQ(untimed.reading.error, RVTrackFileError::NoTimedPoint);
    EXPECT_EQ(untimed.cards, 0);
    EXPECT_TRUE(RVTrackImports::importsOf(card).empty());
    RVCameraClock::clearRules();
}

TEST(TrackImport, StoredTextSurvivesDamage)
{
    RVTrackImport import;
    import.source = "phone\tlog.gpx";
    import.preference = RVImportPreference::ImportFirst;
    import.recordings = {"DCIM/Movie/a.MP4"};
    RVTrackFix fix;
    fix.time = at("2024-05-22T15:00:00");
    fix.latitude = -33.1234567;
    fix.longitude = 151.7654321;
    import.fixes = {fix};
    // A recording of half a second still takes the fix at its start; one of no length none.
    EXPECT_EQ(matchTrackToRecording(import.fixes, fix.time, 0.5).points.size(), 1u);
    EXPECT_TRUE(matchTrackToRecording(import.fixes, fix.time, 0).points.empty());
    QByteArray text =
        RVTrackImports::toText("/media/G1", {std::make_shared<const RVTrackImport>(import)});
    // A line cut short, one out of range and one with a damaged number are skipped; the rest
    // stays.
    text += "fix\t1716390001000\t-33.1\n";
    text += "fix\t1716390002000\t95\t151\tnan\tnan\tnan\n";
    text += "fix\t1716390002500\t-33.1\t151.8\t12,5\tnan\tnan\n"; // not a number
    text += "fix\t1716390003000\t-33.2\t151.8\t131.5\t12.5\tnan\n";
    const auto card = RVTrackImports::fromText(text);
    ASSERT_TRUE(card);
    EXPECT_EQ(card->cardFolder, "/media/G1");
    ASSERT_EQ(card->imports.size(), 1u);
    const RVTrackImport& read = *card->imports[0];
    EXPECT_EQ(read.source, "phone log.gpx");
    EXPECT_EQ(read.preference, RVImportPreference::ImportFirst);
    EXPECT_EQ(read.recordings, QStringList{"DCIM/Movie/a.MP4"});
    ASSERT_EQ(read.fixes.size(), 2u);
    EXPECT_EQ(read.fixes[0].time, fix.time);
    EXPECT_DOUBLE_EQ(read.fixes[0].latitude, -33.1234567);
    EXPECT_TRUE(std::isnan(read.fixes[0].altitude));
    EXPECT_DOUBLE_EQ(read.fixes[1].altitude, 131.5);
    EXPECT_DOUBLE_EQ(read.fixes[1].speedKmh, 12.5);
    EXPECT_FALSE(RVTrackImports::fromText("something else\ncard\t/x\n"));
    EXPECT_FALSE(RVTrackImports::fromText("korvela-track-imports 1\n"));
}

TEST(TrackImport, DistanceOfARealLogAgreesWithATrustedReader)
{
    KORVELA_SKIP_WITHOUT_REALDATA("gpsbabel/nmea");
    const auto distance = [](const std::vector<RVTrackFix>& fixes) {
        const RVMatchedTrack track = matchTrackToRecording(
            fixes, fixes.front().time,
            double(fixes.back().time.msecsSinceEpoch() - fixes.front().time.msecsSinceEpoch()) /
                    1000.0 +
                1.0);
        EXPECT_EQ(track.points.size(), fixes.size());
        return computeTripStats(track.points, track.speeds).distanceMetres;
    };
    // GPSBabel's GPX of the same log: a receiver standing still, so both say no way was made.
    const RVTrackFileReading nmea =
        RVTrackFiles::readTrackFile(RealData::path(QStringLiteral("gpsbabel/nmea")));
    const RVTrackFileReading gpx =
        RVTrackFiles::readTrackFile(RealData::path(QStringLiteral("gpsbabel/nmea.gpx")));
    ASSERT_TRUE(nmea.ok() && gpx.ok());
    const double byGpx = distance(gpx.fixes);
    EXPECT_NEAR(distance(nmea.fixes), byGpx, std::max(0.01 * byGpx, 0.5));

    // A receiver on the move (a boat's, at 10 km/h) against gpsd's reading of it. Its clock
    // jumps back once, so both tracks stay in the log's order (the reader's own, before the
    // import orders fixes by time); gpsd's dates are shifted by its week rollover logic, so its
    // fixes take the log's times. gpsd's RMC reports are those with a course.
    const QByteArray log =
        support::readFile(RealData::path(QStringLiteral("gpsd/humminbird-M37.log")));
    const std::vector<RVTrackFix> ours = RVNmeaTrackFileReader().readTrack(log).fixes;
    std::vector<RVTrackFix> gpsd;
    const QList<QByteArray> lines =
        support::readFile(RealData::path(QStringLiteral("gpsd/humminbird-M37.log.chk")))
            .split('\n');
    for (const QByteArray& line : lines) {
        const QJsonObject tpv = QJsonDocument::fromJson(line).object();
        if (tpv.value("class") != "TPV" || !tpv.contains("track"))
            continue;
        RVTrackFix fix;
        fix.latitude = tpv.value("lat").toDouble();
        fix.longitude = tpv.value("lon").toDouble();
        fix.speedKmh = tpv.value("speed").toDouble() * 3.6;
        gpsd.push_back(fix);
    }
    ASSERT_EQ(ours.size(), 17u);
    ASSERT_EQ(gpsd.size(), ours.size());
    for (std::size_t i = 0; i < gpsd.size(); ++i)
        gpsd[i].time = ours[i].time;
    const auto inLogOrder = [](const std::vector<RVTrackFix>& fixes) {
        std::vector<RVPoint> points;
        std::vector<double> speeds;
        for (const RVTrackFix& fix : fixes) {
            points.emplace_back(QByteArray::number(fix.latitude, 'f', 6).toStdString(),
                                QByteArray::number(fix.longitude, 'f', 6).toStdString(), 0, 0,
                                fix.speedKmh, fix.time);
            speeds.push_back(fix.speedKmh);
        }
        return computeTripStats(points, speeds).distanceMetres;
    };
    const double byGpsd = inLogOrder(gpsd);
    EXPECT_GT(byGpsd, 50.0);
    EXPECT_NEAR(inLogOrder(ours), byGpsd, 0.01 * byGpsd);
}
