#include "player/RVMapBridge.h"
#include "player/RVMapScriptRunner.h"

#include "metadata/RVSettings.h"

#include <QPointF>
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

RVPoint point(std::string_view latitude, std::string_view longitude, double altitude = 0,
              double azimut = 0)
{
    return RVPoint(latitude, longitude, altitude, azimut, 0, RVTimestamp());
}

auto track(std::vector<RVPoint> points)
{
    return std::make_shared<const std::vector<RVPoint>>(std::move(points));
}

} // namespace

// Latitude 0 ends a segment of the route; the map centres on the first fix, else on the stored
// centre, which is written at once, then every few seconds, and when the bridge goes.
TEST(MapBridge, RouteIsSplitAtPointsWithoutLatitudeAndCentredOnAFix)
{
    RecordingRunner runner;
    auto bridge = std::make_unique<RVMapBridge>(&runner);
    auto drawn = [&](std::vector<RVPoint> points) {
        runner.scripts.clear();
        bridge->setTrack(track(std::move(points)), nullptr);
        bridge->drawRoute();
        return runner.scripts;
    };
    EXPECT_EQ(drawn({point("0.000000", "0.000000"), point("55.100000", "37.100000"),
                     point("55.200000", "37.200000"), point("0", "37.5"), point("", ""),
                     point("55.300000", "37.300000")}),
              QStringList({"clearRoutes();", "checkMapCenter([55.100000, 37.100000])",
                           "drawRoute([[55.100000, 37.100000],[55.200000, 37.200000],]);",
                           "drawRoute([[55.300000, 37.300000],]);", "fitRoutes();"}));
    // 0.00005 is too close to 0 to centre on, but it is not 0, so it opens a segment.
    EXPECT_EQ(drawn({point("0.00005", "1.0"), point("55.1", "37.1")}),
              QStringList({"clearRoutes();", "checkMapCenter([55.1, 37.1])",
                           "drawRoute([[0.00005, 1.0],[55.1, 37.1],]);", "fitRoutes();"}));
    // The same track again (a page loaded again) keeps the user's view; a track drawn while
    // no page listens is fitted once one does.
    runner.scripts.clear();
    bridge->drawRoute();
    EXPECT_FALSE(runner.scripts.contains("fitRoutes();"));
    runner.ready = false;
    drawn({point("55.1", "37.1")});
    runner.ready = true;
    bridge->drawRoute();
    EXPECT_TRUE(runner.scripts.contains("fitRoutes();"));

    RVSettings::setDouble(RVSettings::kMapCenterLatitude, 58.5);
    RVSettings::setDouble(RVSettings::kMapCenterLongitude, -24.25);
    EXPECT_EQ(drawn({point("0", "0"), point("0.00001", "12")}),
              QStringList({"clearRoutes();", "checkMapCenter([58.500000, -24.250000]);"}));
    drawn({point("50.000000", "10.000000"), point("51.000000", "11.000000")});
    bridge->updateCurrentPositionOnMap(0.0);
    bridge->updateCurrentPositionOnMap(0.5); // only in memory ...
    EXPECT_DOUBLE_EQ(RVSettings::doubleValue(RVSettings::kMapCenterLatitude), 50.0);
    // ... yet a track without any position centres on it, and it is written when the bridge goes.
    EXPECT_EQ(drawn({point("0", "0")}).last(), "checkMapCenter([51.000000, 11.000000]);");
    bridge.reset();
    EXPECT_DOUBLE_EQ(RVSettings::doubleValue(RVSettings::kMapCenterLatitude), 51.0);
    EXPECT_DOUBLE_EQ(RVSettings::doubleValue(RVSettings::kMapCenterLongitude), 11.0);
}

TEST(MapBridge, PositionMarkerReadoutsRouteClicksAndKeys)
{
    RecordingRunner runner;
    RVMapBridge bridge(&runner);
    QSignalSpy altitude(&bridge, &RVMapBridge::altitudeTextChanged);
    QSignalSpy velocity(&bridge, &RVMapBridge::velocityTextChanged);
    bridge.setTrack(
        track({point("55.000000", "37.000000", 99.9, 45.5), point("0.000000", "37.600000", 100, 10),
               point("0.000000", "0.000000", 120, 0),
               point("56.000000", "38.000000", 130, 270.25)}),
        std::make_shared<const std::vector<double>>(std::vector<double>{42.7, 100, 0, 5}));
    bridge.updateCurrentPositionOnMap(1.0); // outside the track, or another row selected
    bridge.updateCurrentPositionOnMap(-1.0);
    EXPECT_TRUE(runner.scripts.isEmpty());
    EXPECT_EQ(altitude.count(), 0);

    // A longitude alone is a fix; with no fix at all the next
    // point with a latitude stands in, flagged, while the speed is the one at the position.
    const struct
    {
        const char* units;
        double progress;
        const char* marker;
        const char* altitude;
        const char* velocity;
    } steps[] = {
        {"Metric", 0.0, "[55.000000, 37.000000], 45.500000, 0",
         "LABEL_ALTITUDE_TITLE: 99 LABEL_ALTITUDE_METER", "42 KM_PER_HOUR"},
        {"British", 0.25, "[0.000000, 37.600000], 10.000000, 0",
         "LABEL_ALTITUDE_TITLE: 327 LABEL_ALTITUDE_FOOT", "62 MILES_PER_HOUR"},
        {"british", 0.5, "[56.000000, 38.000000], 270.250000, 1",
         "LABEL_ALTITUDE_TITLE: 130 LABEL_ALTITUDE_METER", "0 KM_PER_HOUR"},
    };
    for (const auto& s : steps) {
        bridge.setMeasurementSystem(s.units);
        bridge.updateCurrentPositionOnMap(s.progress);
        EXPECT_EQ(runner.scripts.last(), QStringLiteral("moveCurrentPositionTo(%1)").arg(s.marker));
        EXPECT_EQ(altitude.last().at(0).toString(), s.altitude);
        EXPECT_EQ(velocity.last().at(0).toString(), s.velocity);
    }
    bridge.drawRoute(); // ends on the latest position
    EXPECT_EQ(runner.scripts.last(),
              "moveCurrentPositionTo([56.000000, 38.000000], 270.250000, 1)");

    // A click seeks to the nearest point (the first of equally near ones).
    QSignalSpy seeks(&bridge, &RVMapBridge::graphClicked);
    bridge.routeClickedOnLatitude(56.1, 38);
    bridge.setTrack(track({point("10", "10"), point("11", "11"), point("13", "11")}), nullptr);
    bridge.routeClickedOnLatitude(12, 11);
    ASSERT_EQ(seeks.count(), 2);
    EXPECT_DOUBLE_EQ(seeks[0].at(0).toDouble(), 0.75);
    EXPECT_DOUBLE_EQ(seeks[1].at(0).toDouble(), 1.0 / 3);
    runner.scripts.clear();
    bridge.setTrack(track({}), nullptr);
    bridge.routeClickedOnLatitude(1, 1); // nowhere to seek
    bridge.updateCurrentPositionOnMap(0.5);
    EXPECT_EQ(seeks.count(), 2);
    EXPECT_TRUE(runner.scripts.isEmpty());

    QSignalSpy playPause(&bridge, &RVMapBridge::playPauseRequested);
    QSignalSpy fullScreen(&bridge, &RVMapBridge::fullScreenToggleRequested);
    for (const char* key : {"spacebar", "alt enter", "enter", "Spacebar"})
        bridge.onMapKeyPressed(key);
    EXPECT_EQ(playPause.count(), 1);
    EXPECT_EQ(fullScreen.count(), 1);
}

// The drawn line is thinned, but never farther than the tolerance from any point of the
// track, and its ends are the track's own points, exactly as stored.
TEST(MapBridge, LongRoutesAreThinnedWithinTheTolerance)
{
    constexpr double kNorth = 111320.0; // metres per degree
    const double kEast = kNorth * std::cos(52.0 * M_PI / 180);
    const struct
    {
        const char* name;
        int count;
        double (*north)(int); // metres north of the start at point i; east is i metres
        std::size_t minDrawn, maxDrawn;
    } cases[] = {
        {"straight", 5000, [](int) { return 0.0; }, 2, 6}, // the ends of 1024-point runs
        {"zigzag of 2 m", 3000, [](int i) { return i % 2 ? 2.0 : 0.0; }, 3000, 3000},
        // Long enough to be read and thinned on two threads.
        {"curves", 150000, [](int i) { return 300 * std::sin(i / 200.0); }, 375, 18750},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<RVPoint> points;
        for (int i = 0; i < c.count; ++i)
            points.push_back(
                point(QByteArray::number(52.0 + c.north(i) / kNorth, 'f', 6).toStdString(),
                      QByteArray::number(13.0 + i / kEast, 'f', 6).toStdString()));
        RecordingRunner runner;
        RVMapBridge bridge(&runner);
        bridge.setTrack(track(points), nullptr);
        bridge.drawRoute();
        ASSERT_EQ(runner.scripts.size(), 4);
        const QString& call = runner.scripts[2];
        const RVPoint &first = points.front(), &last = points.back();
        ASSERT_TRUE(call.startsWith(
            QString("drawRoute([[%1, %2],").arg(first.latitude(), first.longitude())));
        ASSERT_TRUE(call.endsWith(QString("[%1, %2],]);").arg(last.latitude(), last.longitude())));
        std::vector<QPointF> drawn; // metres east, north
        for (const QString& pair : call.mid(12, call.size() - 17).split("],[")) {
            const QStringList parts = pair.split(", ");
            drawn.emplace_back((parts.value(1).toDouble() - 13.0) * kEast,
                               (parts.value(0).toDouble() - 52.0) * kNorth);
        }
        EXPECT_GE(drawn.size(), c.minDrawn);
        EXPECT_LE(drawn.size(), c.maxDrawn);
        // Within the tolerance of 0.5 m, and the texts' rounding, of the segment beside it.
        double worst = 0;
        std::size_t s = 0;
        for (const RVPoint& p : points) {
            const QPointF q((p.longitudeValue() - 13.0) * kEast,
                            (p.latitudeValue() - 52.0) * kNorth);
            while (s + 2 < drawn.size() && q.x() > drawn[s + 1].x() + 1e-6)
                ++s;
            const QPointF a = drawn[s], d = drawn[std::min(s + 1, drawn.size() - 1)] - a;
            const double length = QPointF::dotProduct(d, d);
            const double t =
                length ? std::clamp(QPointF::dotProduct(q - a, d) / length, 0.0, 1.0) : 0;
            const QPointF off = a + t * d - q;
            worst = std::max(worst, std::hypot(off.x(), off.y()));
        }
        EXPECT_LE(worst, 0.6);
    }
}
