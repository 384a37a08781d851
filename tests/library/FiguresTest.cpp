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
    double north = 0; // where drive() and fix() stand

    Track& add(double seconds, double metresNorth, double kmh)
    {
        // 111 195 m a degree of latitude on the mean-radius sphere.
        const double latitude = 60.0 + metresNorth / 111194.93;
        points.emplace_back(QString::number(latitude, 'f', 6).toStdString(), "24.000000", 0, 0, kmh,
                            RVTimestamp::fromMSecsSinceEpoch(std::int64_t(seconds * 1000)));
        speeds.push_back(kmh);
        return *this;
    }
    Track& fix(double seconds) { return add(seconds, north, 36); }
    // From the second `from` to before `to`, a fix a second after each 10 m at 36 km/h, or
    // standing with 0 km/h.
    Track& drive(int from, int to, bool moving = true)
    {
        for (int s = from; s < to; ++s)
            add(s, north += moving ? 10 : 0, moving ? 36 : 0);
        return *this;
    }
    Track& leap(double metres)
    {
        north += metres;
        return *this;
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
    // A speed no car drives is the receiver's error: the top speed stays what was driven.
    Track impossible = Track().fix(0).drive(1, 11);
    impossible.speeds[5] = 1500;
    // Standing still, the receiver's fixes wander a few metres: no way is driven.
    Track wander;
    for (int s = 0; s <= 10; ++s)
        wander.add(s, s % 2 ? 2.5 : 0, 0);
    // Fixes without a position or a time stand in the series but are no fixes.
    Track voids = Track().fix(0).drive(1, 11);
    voids.points.insert(voids.points.begin() + 3,
                        RVPoint("0.000000", "0.000000", 0, 0, 0, RVTimestamp()));
    voids.speeds.insert(voids.speeds.begin() + 3, 0);
    voids.points.insert(voids.points.begin() + 6,
                        RVPoint("61.000000", "24.000000", 0, 0, 0, RVTimestamp()));
    voids.speeds.insert(voids.speeds.begin() + 6, 0);
    const Row rows[] = {
        // 10 s at 36 km/h (10 m/s), then 5 s standing still; the second in which the car came
        // to rest is still driving.
        {"drive then stand", Track().fix(0).drive(1, 11).drive(11, 16, false), 100, 11, 4, 36,
         100.0 / 11 * 3.6},
        // The same drive with one fix thrown 5 km off: it is left out, the way stays 100 m.
        {"a single jump is ignored", Track().fix(0).drive(1, 5).add(4.5, 5000, 36).drive(5, 11),
         100, 10, 0, 36, 36},
        // The receiver settles 2 km away and stays there: the new place is taken from the
        // second fix that agrees, and the leap itself is not driven distance. The first fix
        // there is the leap, four more follow.
        {"a lasting leap moves the track", Track().fix(0).drive(1, 6).leap(2000).drive(6, 12), 100,
         10, 0, 36, 36},
        // Five minutes without fixes between two drives: neither time nor way is counted.
        {"a break in the log", Track().fix(0).drive(1, 6).leap(3000).fix(305).drive(306, 311), 100,
         10, 0, 36, 36},
        // The shortest drive there is: one second, yet an average.
        {"one second", Track().fix(0).drive(1, 2), 10, 1, 0, 36, 36},
        {"an impossible speed", impossible, 100, 10, 0, 36, 36},
        {"a standing car's fixes wander", wander, 0, 0, 10, 0, std::nan("")},
        {"void fixes are skipped", voids, 100, 10, 0, 36, 36}};
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
    const Track slow = Track().add(100, 1000, 18).add(110, 1050, 18);
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
