// Trip figures: distance over fixes a car can reach, driving and stopped time, speeds, ends;
// on hand-made tracks and on real receiver logs against GPSBabel's reading of them.
#include "RealData.h"

#include "library/RVTripStats.h"
#include "metadata/RVGpsProcessor.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// One fix a second along a meridian near 60°N; metres north of the start and km/h per fix.
struct Track
{
    std::vector<RVPoint> points;
    std::vector<double> speeds;

    void add(double seconds, double metresNorth, double kmh)
    {
        // 111 195 m a degree of latitude on the mean-radius sphere.
        const double latitude = 60.0 + metresNorth / 111194.93;
        points.emplace_back(QString::number(latitude, 'f', 6).toStdString(), "24.000000", 0, 0, kmh,
                            RVTimestamp::fromMSecsSinceEpoch(std::int64_t(seconds * 1000)));
        speeds.push_back(kmh);
    }
};

} // namespace

TEST(TripFigures, DistanceAndTimesOnHandMadeTracks)
{
    struct Row
    {
        const char* name;
        Track track;
        double metres, driving, stopped, top, average;
    };
    const auto drive = [](int from, int to, double& at, Track& t) {
        for (int s = from; s < to; ++s) {
            at += 10;
            t.add(s, at, 36);
        }
    };
    std::vector<Row> rows;
    {
        // 10 s at 36 km/h (10 m/s), then 5 s standing still; the second in which the car came
        // to rest is still driving.
        Row row{"drive then stand", {}, 100, 11, 4, 36, 100.0 / 11 * 3.6};
        double at = 0;
        row.track.add(0, 0, 36);
        drive(1, 11, at, row.track);
        for (int s = 11; s < 16; ++s)
            row.track.add(s, at, 0);
        rows.push_back(row);
    }
    {
        // The same drive with one fix thrown 5 km off: it is left out, the way stays 100 m.
        Row row{"a single jump is ignored", {}, 100, 10, 0, 36, 36};
        double at = 0;
        row.track.add(0, 0, 36);
        drive(1, 5, at, row.track);
        row.track.add(4.5, 5000, 36);
        drive(5, 11, at, row.track);
        rows.push_back(row);
    }
    {
        // The receiver settles 2 km away and stays there: the new place is taken from the
        // second fix that agrees, and the leap itself is not driven distance.
        Row row{"a lasting leap moves the track", {}, 100, 10, 0, 36, 36};
        double at = 0;
        row.track.add(0, 0, 36);
        drive(1, 6, at, row.track);
        at += 2000;
        drive(6, 12, at, row.track); // the first fix there is the leap, four more follow
        rows.push_back(row);
    }
    {
        // Five minutes without fixes between two drives: neither time nor way is counted.
        Row row{"a break in the log", {}, 100, 10, 0, 36, 36};
        double at = 0;
        row.track.add(0, 0, 36);
        drive(1, 6, at, row.track);
        at += 3000;
        row.track.add(305, at, 36);
        drive(306, 311, at, row.track);
        rows.push_back(row);
    }
    {
        // The shortest drive there is: one second, yet an average.
        Row row{"one second", {}, 10, 1, 0, 36, 36};
        row.track.add(0, 0, 36);
        row.track.add(1, 10, 36);
        rows.push_back(row);
    }
    {
        // A speed no car drives is the receiver's error: the top speed stays what was driven.
        Row row{"an impossible speed", {}, 100, 10, 0, 36, 36};
        double at = 0;
        row.track.add(0, 0, 36);
        drive(1, 11, at, row.track);
        row.track.speeds[5] = 1500;
        rows.push_back(row);
    }
    {
        // Standing still, the receiver's fixes wander a few metres: no way is driven.
        Row row{"a standing car's fixes wander", {}, 0, 0, 10, 0, std::nan("")};
        for (int s = 0; s <= 10; ++s)
            row.track.add(s, s % 2 ? 2.5 : 0, 0);
        rows.push_back(row);
    }
    {
        // Fixes without a position or a time stand in the series but are no fixes.
        Row row{"void fixes are skipped", {}, 100, 10, 0, 36, 36};
        double at = 0;
        row.track.add(0, 0, 36);
        drive(1, 11, at, row.track);
        row.track.points.insert(row.track.points.begin() + 3,
                                RVPoint("0.000000", "0.000000", 0, 0, 0, RVTimestamp()));
        row.track.speeds.insert(row.track.speeds.begin() + 3, 0);
        row.track.points.insert(row.track.points.begin() + 6,
                                RVPoint("61.000000", "24.000000", 0, 0, 0, RVTimestamp()));
        row.track.speeds.insert(row.track.speeds.begin() + 6, 0);
        rows.push_back(row);
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RVTripStats stats = computeTripStats(row.track.points, row.track.speeds);
        EXPECT_NEAR(stats.distanceMetres, row.metres, 0.5);
        EXPECT_NEAR(stats.drivingSeconds, row.driving, 1e-6);
        EXPECT_NEAR(stats.stoppedSeconds, row.stopped, 1e-6);
        EXPECT_NEAR(stats.topSpeedKmh, row.top, 1e-9);
        if (std::isnan(row.average))
            EXPECT_TRUE(std::isnan(stats.averageMovingSpeedKmh));
        else
            EXPECT_NEAR(stats.averageMovingSpeedKmh, row.average, 0.2);
        ASSERT_TRUE(stats.start && stats.end);
        EXPECT_NEAR(stats.start->latitude, 60.0, 1e-6);
        EXPECT_EQ(stats.start->time.msecsSinceEpoch(), 0);
        EXPECT_EQ(stats.end->time, row.track.points.back().time());
    }

    // Nothing with a fix: no distance, no speed, no ends.
    const RVTripStats empty = computeTripStats({}, {});
    EXPECT_EQ(empty.distanceMetres, 0);
    EXPECT_TRUE(std::isnan(empty.topSpeedKmh) && std::isnan(empty.averageMovingSpeedKmh));
    EXPECT_FALSE(empty.start || empty.end);

    // A trip adds its files up, from the first file's start to the last one's end.
    const RVTripStatsPtr first =
        std::make_shared<RVTripStats>(computeTripStats(rows[0].track.points, rows[0].track.speeds));
    Track slow;
    slow.add(100, 1000, 18);
    slow.add(110, 1050, 18);
    const RVTripStatsPtr second =
        std::make_shared<RVTripStats>(computeTripStats(slow.points, slow.speeds));
    const RVTripStats trip = joinTripStats({first, nullptr, second});
    EXPECT_NEAR(trip.distanceMetres, 150, 1);
    EXPECT_NEAR(trip.drivingSeconds, 21, 1e-6);
    EXPECT_NEAR(trip.stoppedSeconds, 4, 1e-6);
    EXPECT_NEAR(trip.averageMovingSpeedKmh, 150.0 / 21 * 3.6, 0.2);
    EXPECT_EQ(trip.topSpeedKmh, 36);
    EXPECT_EQ(trip.start->time.msecsSinceEpoch(), 0);
    EXPECT_EQ(trip.end->time.msecsSinceEpoch(), 110000);
}

TEST(TripFigures, RealLogsMatchGpsBabel)
{
    KORVELA_SKIP_WITHOUT_REALDATA("blackvue-dr650s");
    // The reference: GPSBabel 1.8 reads the log's RMC sentences (prefixes stripped),
    //   sed 's/^\[[0-9]*\]//' X.gps | grep -a '^\$GPRMC' > X.nmea
    //   gpsbabel -t -i nmea -f X.nmea -o unicsv,utc=0 -F X.csv
    // and the great-circle lengths (mean earth radius) between its consecutive points add up
    // to these, over the legs where its speed at either end is 3 km/h or more and that are
    // less than 60 s long (the event clip starts with a fix 89 s old). All legs counted, they
    // are 222.9 m and 266.6 m: the rest is a standing car's wandering fixes.
    const std::pair<const char*, double> logs[] = {{"20170708_221449_N", 220.972},
                                                   {"20170709_084737_E", 238.529}};
    for (const auto& [clip, metres] : logs) {
        SCOPED_TRACE(clip);
        const std::optional<RVMetaData> data =
            RVGpsProcessor::sharedInstance().readMetaDataFromVideoFile(
                RealData::path(QStringLiteral("blackvue-dr650s/")) + clip + ".mp4");
        ASSERT_TRUE(data);
        const RVTripStats stats = computeTripStats(data->points, data->velocityData);
        EXPECT_NEAR(stats.distanceMetres, metres, metres * 0.01);
        EXPECT_GT(stats.drivingSeconds, 0);
        EXPECT_LE(stats.topSpeedKmh, 60);
        EXPECT_GT(stats.topSpeedKmh, 15);
    }
}
