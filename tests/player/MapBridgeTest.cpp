#include "player/RVMapBridge.h"
#include "player/RVMapScriptRunner.h"

#include "metadata/RVSettings.h"

#include <QSignalSpy>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

struct RecordingRunner final : RVMapScriptRunner
{
    QStringList scripts;
    bool ready = true;
    void runScript(const QString& script) override
    {
        if (ready)
            scripts.append(script);
    }
    bool isReady() const override { return ready; }
};

RVPoint point(const char* latitude, const char* longitude, double altitude = 0, double azimut = 0)
{
    return RVPoint(latitude, longitude, altitude, azimut, 0, RVTimestamp());
}

auto track(std::vector<RVPoint> points)
{
    return std::make_shared<const std::vector<RVPoint>>(std::move(points));
}

auto speeds(std::vector<double> values)
{
    return std::make_shared<const std::vector<double>>(std::move(values));
}

} // namespace

TEST(MapBridge, RouteIsSplitAtPointsWithoutLatitudeAndCentredOnAFix)
{
    RecordingRunner runner;
    RVMapBridge bridge(&runner);
    bridge.setTrack(track({point("0.000000", "0.000000"), point("55.100000", "37.100000"),
                           point("55.200000", "37.200000"), point("0", "37.5"), point("", ""),
                           point("55.300000", "37.300000")}),
                    nullptr);
    bridge.drawRoute();
    EXPECT_EQ(runner.scripts,
              QStringList({"clearRoutes();", "checkMapCenter([55.100000, 37.100000])",
                           "drawRoute([[55.100000, 37.100000],[55.200000, 37.200000],]);",
                           "drawRoute([[55.300000, 37.300000],]);", "fitRoutes();"}));

    runner.scripts.clear();
    // 0.00005 is too close to 0 to centre on, but it is not exactly 0, so it opens a segment.
    bridge.setTrack(track({point("0.00005", "1.0"), point("55.1", "37.1")}), nullptr);
    bridge.drawRoute();
    EXPECT_EQ(runner.scripts,
              QStringList({"clearRoutes();", "checkMapCenter([55.1, 37.1])",
                           "drawRoute([[0.00005, 1.0],[55.1, 37.1],]);", "fitRoutes();"}));
    // The same track drawn again (a page loaded again) keeps the view the user has.
    runner.scripts.clear();
    bridge.drawRoute();
    EXPECT_FALSE(runner.scripts.contains("fitRoutes();"));
    // A track drawn while no page listens is fitted once one does.
    runner.ready = false;
    bridge.setTrack(track({point("55.1", "37.1")}), nullptr);
    bridge.drawRoute();
    runner.ready = true;
    bridge.drawRoute();
    EXPECT_TRUE(runner.scripts.contains("fitRoutes();"));

    // No point with a latitude: the stored centre, six decimals, and no route.
    runner.scripts.clear();
    RVSettings::setDouble(RVSettings::kMapCenterLatitude, 58.5);
    RVSettings::setDouble(RVSettings::kMapCenterLongitude, -24.25);
    bridge.setTrack(track({point("0", "0"), point("0.00001", "12")}), nullptr);
    bridge.drawRoute();
    EXPECT_EQ(runner.scripts,
              QStringList({"clearRoutes();", "checkMapCenter([58.500000, -24.250000]);"}));
}

TEST(MapBridge, PositionMarkerAndReadouts)
{
    RecordingRunner runner;
    RVMapBridge bridge(&runner);
    QSignalSpy altitude(&bridge, &RVMapBridge::altitudeTextChanged);
    QSignalSpy velocity(&bridge, &RVMapBridge::velocityTextChanged);
    bridge.setTrack(
        track({point("55.000000", "37.000000", 99.9, 45.5), point("0.000000", "37.600000", 100, 10),
               point("0.000000", "0.000000", 120, 0),
               point("56.000000", "38.000000", 130, 270.25)}),
        speeds({42.7, 100, 0, 5}));

    // Outside the track, or another row selected: nothing at all.
    bridge.updateCurrentPositionOnMap(1.0);
    bridge.updateCurrentPositionOnMap(-1.0);
    EXPECT_TRUE(runner.scripts.isEmpty());
    EXPECT_EQ(altitude.count(), 0);

    bridge.updateCurrentPositionOnMap(0.0);
    EXPECT_EQ(runner.scripts.last(), "moveCurrentPositionTo([55.000000, 37.000000], 45.500000, 0)");
    EXPECT_EQ(altitude.last().at(0).toString(), "LABEL_ALTITUDE_TITLE: 99 LABEL_ALTITUDE_METER");
    EXPECT_EQ(velocity.last().at(0).toString(), "42 KM_PER_HOUR");

    // A longitude alone is a fix; it becomes the stored map centre, latitude 0 included.
    bridge.setMeasurementSystem("British");
    bridge.updateCurrentPositionOnMap(0.25);
    EXPECT_EQ(runner.scripts.last(), "moveCurrentPositionTo([0.000000, 37.600000], 10.000000, 0)");
    bridge.saveMapCenter(); // written every few seconds while playing
    EXPECT_EQ(RVSettings::doubleValue(RVSettings::kMapCenterLatitude), 0.0);
    EXPECT_DOUBLE_EQ(RVSettings::doubleValue(RVSettings::kMapCenterLongitude), 37.6);
    EXPECT_EQ(altitude.last().at(0).toString(), "LABEL_ALTITUDE_TITLE: 327 LABEL_ALTITUDE_FOOT");
    EXPECT_EQ(velocity.last().at(0).toString(), "62 MILES_PER_HOUR"); // 100 km/h, statute miles

    // No fix at the position: the next point with a latitude stands in, flagged, and its
    // altitude is shown while the speed is the one at the position.
    bridge.setMeasurementSystem("british"); // not "British": metric
    bridge.updateCurrentPositionOnMap(0.5);
    EXPECT_EQ(runner.scripts.last(),
              "moveCurrentPositionTo([56.000000, 38.000000], 270.250000, 1)");
    EXPECT_EQ(altitude.last().at(0).toString(), "LABEL_ALTITUDE_TITLE: 130 LABEL_ALTITUDE_METER");
    EXPECT_EQ(velocity.last().at(0).toString(), "0 KM_PER_HOUR");

    // drawRoute ends on the latest position.
    runner.scripts.clear();
    bridge.drawRoute();
    EXPECT_EQ(runner.scripts.last(),
              "moveCurrentPositionTo([56.000000, 38.000000], 270.250000, 1)");

    // A track without any position sends no marker.
    runner.scripts.clear();
    bridge.setTrack(track({point("0", "0"), point("0", "0")}), speeds({1, 2}));
    bridge.updateCurrentPositionOnMap(0.5);
    EXPECT_TRUE(runner.scripts.isEmpty());
}

TEST(MapBridge, MapCentreIsNotWrittenOnEveryTickButIsNeverLost)
{
    RecordingRunner runner;
    auto bridge = std::make_unique<RVMapBridge>(&runner);
    bridge->setTrack(track({point("50.000000", "10.000000"), point("51.000000", "11.000000")}),
                     nullptr);
    bridge->updateCurrentPositionOnMap(0.0); // the first centre is written at once
    EXPECT_DOUBLE_EQ(RVSettings::doubleValue(RVSettings::kMapCenterLatitude), 50.0);
    bridge->updateCurrentPositionOnMap(0.5); // the next tick's only in memory ...
    EXPECT_DOUBLE_EQ(RVSettings::doubleValue(RVSettings::kMapCenterLatitude), 50.0);
    // ... but a track without any position still centres on it,
    bridge->setTrack(track({point("0", "0")}), nullptr);
    bridge->drawRoute();
    EXPECT_EQ(runner.scripts.last(), "checkMapCenter([51.000000, 11.000000]);");
    // and it is written when the bridge goes.
    bridge->setTrack(track({point("52.000000", "12.000000")}), nullptr);
    bridge->updateCurrentPositionOnMap(0.0);
    bridge.reset();
    EXPECT_DOUBLE_EQ(RVSettings::doubleValue(RVSettings::kMapCenterLatitude), 52.0);
    EXPECT_DOUBLE_EQ(RVSettings::doubleValue(RVSettings::kMapCenterLongitude), 12.0);
}

TEST(MapBridge, RouteClickSeeksToTheNearestPointAndKeysAreFiltered)
{
    RecordingRunner runner;
    RVMapBridge bridge(&runner);
    QSignalSpy seeks(&bridge, &RVMapBridge::graphClicked);
    QSignalSpy playPause(&bridge, &RVMapBridge::playPauseRequested);
    QSignalSpy fullScreen(&bridge, &RVMapBridge::fullScreenToggleRequested);

    bridge.routeClickedOnLatitude(1, 1);
    EXPECT_EQ(seeks.count(), 0); // an empty track has nowhere to seek

    bridge.setTrack(
        track({point("10", "10"), point("11", "11"), point("13", "11"), point("12", "12")}),
        nullptr);
    bridge.routeClickedOnLatitude(12, 11); // points 1 and 2 are equally near: the first wins
    ASSERT_EQ(seeks.count(), 1);
    EXPECT_DOUBLE_EQ(seeks.last().at(0).toDouble(), 0.25);
    bridge.routeClickedOnLatitude(12.1, 12);
    EXPECT_DOUBLE_EQ(seeks.last().at(0).toDouble(), 0.75);

    bridge.onMapKeyPressed("spacebar");
    bridge.onMapKeyPressed("alt enter");
    bridge.onMapKeyPressed("enter");
    bridge.onMapKeyPressed("Spacebar");
    EXPECT_EQ(playPause.count(), 1);
    EXPECT_EQ(fullScreen.count(), 1);
}

// The drawn line is thinned, but never farther than the tolerance from any point of the
// track, and its ends are the track's own points, exactly as stored.
TEST(MapBridge, LongRoutesAreThinnedWithinTheTolerance)
{
    constexpr double kMetresPerDegree = 111320.0;
    struct Case
    {
        const char* name;
        int count;
        double (*north)(int); // metres north of the start at point i; east is i metres
        std::size_t maxDrawn;
        std::size_t minDrawn;
    };
    const Case cases[] = {
        {"straight", 5000, [](int) { return 0.0; }, 6, 2}, // the ends of 1024-point runs
        {"zigzag of 2 m", 3000, [](int i) { return i % 2 ? 2.0 : 0.0; }, 3000, 3000},
        {"curves", 20000, [](int i) { return 300 * std::sin(i / 200.0); }, 2500, 50},
        // Long enough to be read and thinned on two threads.
        {"long curves", 150000, [](int i) { return 300 * std::sin(i / 200.0); }, 18750, 375},
    };
    for (const Case& c : cases) {
        std::vector<RVPoint> points;
        for (int i = 0; i < c.count; ++i) {
            const QByteArray lat = QByteArray::number(52.0 + c.north(i) / kMetresPerDegree, 'f', 6);
            const QByteArray lon = QByteArray::number(
                13.0 + i / (kMetresPerDegree * std::cos(52.0 * M_PI / 180)), 'f', 6);
            points.push_back(point(lat.constData(), lon.constData()));
        }
        RecordingRunner runner;
        RVMapBridge bridge(&runner);
        bridge.setTrack(track(points), nullptr);
        bridge.drawRoute();
        ASSERT_EQ(runner.scripts.size(), 4) << c.name;
        QString call = runner.scripts[2];
        ASSERT_TRUE(call.startsWith("drawRoute([[") && call.endsWith("],]);")) << c.name;
        call = call.mid(12, call.size() - 12 - 5);
        std::vector<std::pair<double, double>> drawn; // metres east, north
        for (const QString& pair : call.split("],[")) {
            const QStringList parts = pair.split(", ");
            ASSERT_EQ(parts.size(), 2) << c.name;
            drawn.emplace_back((parts[1].toDouble() - 13.0) * kMetresPerDegree *
                                   std::cos(52.0 * M_PI / 180),
                               (parts[0].toDouble() - 52.0) * kMetresPerDegree);
        }
        EXPECT_LE(drawn.size(), c.maxDrawn) << c.name;
        EXPECT_GE(drawn.size(), c.minDrawn) << c.name;
        EXPECT_TRUE(runner.scripts[2].startsWith(
            QStringLiteral("drawRoute([[%1, %2]")
                .arg(points.front().latitude(), points.front().longitude())));
        EXPECT_TRUE(runner.scripts[2].endsWith(
            QStringLiteral("[%1, %2],]);")
                .arg(points.back().latitude(), points.back().longitude())));
        // Every track point lies within the tolerance (plus the texts' rounding) of the line.
        double worst = 0;
        std::size_t segment = 0;
        for (const RVPoint& p : points) {
            const double x =
                (p.longitudeValue() - 13.0) * kMetresPerDegree * std::cos(52.0 * M_PI / 180);
            const double y = (p.latitudeValue() - 52.0) * kMetresPerDegree;
            while (segment + 2 < drawn.size() && x > drawn[segment + 1].first + 1e-6)
                ++segment;
            const auto [ax, ay] = drawn[segment];
            const auto [bx, by] = drawn[std::min(segment + 1, drawn.size() - 1)];
            const double dx = bx - ax, dy = by - ay;
            const double t =
                dx || dy
                    ? std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0)
                    : 0.0;
            worst = std::max(worst, std::hypot(ax + t * dx - x, ay + t * dy - y));
        }
        EXPECT_LE(worst, 0.5 + 0.1) << c.name;
    }
}
