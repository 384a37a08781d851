#include "player/RVMapBridge.h"
#include "player/RVMapScriptRunner.h"

#include "metadata/RVSettings.h"

#include <QPointF>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct RecordingRunner final : RVMapScriptRunner
{
    QStringList scripts;
    bool ready = true;
    void runScript(const QString& script) override
    {
        if (ready)
            scripts << script;
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

double centre(const char* key)
{
    return RVSettings::doubleValue(key);
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
        return runner.scripts.join(' ');
    };
    EXPECT_EQ(drawn({point("0.000000", "0.000000"), point("55.100000", "37.100000"),
                     point("55.200000", "37.200000"), point("0", "37.5"), point("", ""),
                     point("55.300000", "37.300000")}),
              "clearRoutes(); checkMapCenter([55.100000, 37.100000]) drawRoute([[55.100000, "
              "37.100000],[55.200000, 37.200000],]); drawRoute([[55.300000, 37.300000],]); "
              "fitRoutes();");
    // 0.00005 is too close to 0 to centre on, but it is not 0, so it opens a segment.
    EXPECT_EQ(drawn({point("0.00005", "1.0"), point("55.1", "37.1")}),
              "clearRoutes(); checkMapCenter([55.1, 37.1]) drawRoute([[0.00005, 1.0],[55.1, "
              "37.1],]); fitRoutes();");
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
              "clearRoutes(); checkMapCenter([58.500000, -24.250000]);");
    drawn({point("50.000000", "10.000000"), point("0.000000", "11.000000")});
    bridge->updateCurrentPositionOnMap(0.0);
    bridge->updateCurrentPositionOnMap(0.5); // only in memory, ...
    EXPECT_EQ(centre(RVSettings::kMapCenterLatitude), 50.0);
    // ... yet a track without any position centres on it, and it is kept when the bridge goes.
    EXPECT_EQ(drawn({point("0", "0")}), "clearRoutes(); checkMapCenter([0.000000, 11.000000]);");
    bridge.reset();
    EXPECT_EQ(centre(RVSettings::kMapCenterLatitude), 0.0);
    EXPECT_EQ(centre(RVSettings::kMapCenterLongitude), 11.0);
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
    EXPECT_TRUE(runner.scripts.isEmpty() && altitude.isEmpty());
    auto shown = [&] {
        return runner.scripts.last() + " | " + altitude.last().at(0).toString() + " | " +
               velocity.last().at(0).toString();
    };
    bridge.updateCurrentPositionOnMap(0.0);
    EXPECT_EQ(shown(), "moveCurrentPositionTo([55.000000, 37.000000], 45.500000, 0) | "
                       "LABEL_ALTITUDE_TITLE: 99 LABEL_ALTITUDE_METER | 42 KM_PER_HOUR");
    bridge.setMeasurementSystem("British"); // a longitude alone is a fix
    bridge.updateCurrentPositionOnMap(0.25);
    EXPECT_EQ(shown(), "moveCurrentPositionTo([0.000000, 37.600000], 10.000000, 0) | "
                       "LABEL_ALTITUDE_TITLE: 327 LABEL_ALTITUDE_FOOT | 62 MILES_PER_HOUR");
    // No fix: the next point with one stands in, flagged; the speed is the one at the position.
    bridge.setMeasurementSystem("british"); // not "British": metric
    bridge.updateCurrentPositionOnMap(0.5);
    EXPECT_EQ(shown(), "moveCurrentPositionTo([56.000000, 38.000000], 270.250000, 1) | "
                       "LABEL_ALTITUDE_TITLE: 130 LABEL_ALTITUDE_METER | 0 KM_PER_HOUR");
    runner.scripts.clear();
    bridge.drawRoute(); // ends on the latest position
    EXPECT_TRUE(runner.scripts.last().endsWith("270.250000, 1)"));

    // A click seeks to the nearest point (the first of equally near ones); keys are filtered.
    QSignalSpy seeks(&bridge, &RVMapBridge::graphClicked);
    bridge.routeClickedOnLatitude(56.1, 38);
    bridge.setTrack(track({point("10", "10"), point("11", "11"), point("13", "11")}), nullptr);
    bridge.routeClickedOnLatitude(12, 11);
    runner.scripts.clear();
    bridge.setTrack(track({}), nullptr);
    bridge.routeClickedOnLatitude(1, 1); // nowhere to seek
    bridge.updateCurrentPositionOnMap(0.5);
    EXPECT_TRUE(runner.scripts.isEmpty());
    EXPECT_EQ(seeks, (QList<QVariantList>{{0.75}, {1.0 / 3}}));
    QSignalSpy playPause(&bridge, &RVMapBridge::playPauseRequested);
    QSignalSpy fullScreen(&bridge, &RVMapBridge::fullScreenToggleRequested);
    for (const char* key : {"spacebar", "alt enter", "enter", "Spacebar"})
        bridge.onMapKeyPressed(key);
    EXPECT_EQ(playPause.count() + 10 * fullScreen.count(), 11);
}

// The drawn line is thinned, but never farther than the tolerance from any point of the
// track, and its ends are the track's own points, exactly as stored.
TEST(MapBridge, LongRoutesAreThinnedWithinTheTolerance)
{
    const double north = 111320.0, east = north * std::cos(52.0 * M_PI / 180); // m per degree
    const struct
    {
        int count;
        double (*y)(int); // metres north of the start at point i; east is i metres
        qsizetype minDrawn, maxDrawn;
    } cases[] = {
        {3000, [](int i) { return i % 2 ? 2.0 : 0.0; }, 3000, 3000},
        // Long enough to be read and thinned on two threads.
        {150000, [](int i) { return 300 * std::sin(i / 200.0); }, 375, 18750},
    };
    auto metres = [&](double latitude, double longitude) {
        return QPointF((longitude - 13.0) * east, (latitude - 52.0) * north);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        std::vector<RVPoint> points;
        QStringList texts;
        for (int i = 0; i < c.count; ++i) {
            texts = {QString::number(52.0 + c.y(i) / north, 'f', 6),
                     QString::number(13.0 + i / east, 'f', 6)};
            points.push_back(point(texts[0].toStdString(), texts[1].toStdString()));
        }
        RecordingRunner runner;
        RVMapBridge bridge(&runner);
        bridge.setTrack(track(points), nullptr);
        bridge.drawRoute();
        ASSERT_EQ(runner.scripts.size(), 4);
        const QStringList pairs = runner.scripts[2].mid(12).chopped(5).split("],[");
        EXPECT_EQ(pairs.front(),
                  QString("%1, %2").arg(points[0].latitude(), points[0].longitude()));
        EXPECT_EQ(pairs.back(), texts.join(", "));
        EXPECT_GE(pairs.size(), c.minDrawn);
        EXPECT_LE(pairs.size(), c.maxDrawn);
        std::vector<QPointF> drawn;
        for (const QString& pair : pairs)
            drawn.push_back(
                metres(pair.section(", ", 0, 0).toDouble(), pair.section(", ", 1).toDouble()));
        // Within the tolerance of 0.5 m, and the texts' rounding, of the segment beside it.
        std::size_t s = 0;
        for (const RVPoint& p : points) {
            const QPointF q = metres(p.latitudeValue(), p.longitudeValue());
            while (s + 2 < drawn.size() && q.x() > drawn[s + 1].x() + 1e-6)
                ++s;
            const QPointF a = drawn[s], d = drawn[std::min(s + 1, drawn.size() - 1)] - a;
            const double length = QPointF::dotProduct(d, d);
            const QPointF off =
                a - q +
                d * (length ? std::clamp(QPointF::dotProduct(q - a, d) / length, 0.0, 1.0) : 0);
            ASSERT_LE(std::hypot(off.x(), off.y()), 0.6) << p.latitude().toStdString();
        }
    }
}
