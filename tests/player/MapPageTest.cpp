#include "MapPageScript.h"

#include "player/map/RVCardBridge.h"
#include "player/map/RVCardRoutes.h"
#include "player/map/RVMapBridge.h"
#include "player/map/RVMapScriptObject.h"
#include "player/map/RVMapScriptRunner.h"
#include "player/map/RVMapView.h"
#include "player/map/RVMapViewTileAddress.h"

#include "core/RVSettings.h"
#include "support/Support.h"

#include <QColor>
#include <QPointF>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <cmath>

using MapPageScript::evaluate;

namespace {

bool waitFor(RVMapView& view, const QString& script)
{
    return support::waitFor([&] { return evaluate(view, script).toBool(); }, 15000);
}

// Shows the view and loads the provider's page until its map is set up.
bool openPage(RVMapView& view, const QString& provider)
{
    view.resize(640, 400);
    view.show();
    QSignalSpy ready(&view, &RVMapView::pageReady);
    view.setMapsProvider(provider);
    return ready.wait(30000) && waitFor(view, "korvelaMapState().ready === true && !!window.Cocoa");
}

// Waits until the condition on the page's state `s` holds.
bool state(RVMapView& view, const QString& condition)
{
    return waitFor(view, "(function (s) { return " + condition + "; })(korvelaMapState())");
}

struct RecordingRunner final : RVMapScriptRunner
{
    QStringList scripts;
    bool ready = true;
    void runScript(const QString& script) override
    {
        if (ready) // as a page would
            scripts << script;
    }
    bool isReady() const override { return ready; }
};

RVPoint point(const QString& latitude, const QString& longitude, double altitude = 0,
              double azimut = 0)
{
    return RVPoint(latitude.toStdString(), longitude.toStdString(), altitude, azimut, 0, {});
}

auto track(std::vector<RVPoint> points)
{
    return std::make_shared<const std::vector<RVPoint>>(std::move(points));
}

} // namespace

// Latitude 0 ends a segment of the route (0.00005 does not, though too close to 0 to centre
// on); the map centres on the first fix, else on the latest position, stored when the bridge
// goes. A track drawn while no page listens is fitted once one does, and only then. The
// marker, the altitude and the speed follow the position; a click seeks to the nearest point.
TEST(MapBridge, RouteMarkerReadoutsAndClicks)
{
    RecordingRunner runner;
    auto bridge = std::make_unique<RVMapBridge>(&runner);
    auto redrawn = [&] {
        runner.scripts.clear();
        bridge->drawRoute();
        return runner.scripts.join(' ');
    };
    auto drawn = [&](std::vector<RVPoint> points) {
        bridge->setTrack(track(std::move(points)), nullptr);
        return redrawn();
    };
    EXPECT_EQ(drawn({point("0.000000", "0.000000"), point("55.100000", "37.100000"),
                     point("55.200000", "37.200000"), point("0", "37.5"), point("", ""),
                     point("0.00005", "1.0")}),
              "clearRoutes(); checkMapCenter([55.100000, 37.100000]) drawRoute([[55.100000, "
              "37.100000],[55.200000, 37.200000],]); drawRoute([[0.00005, 1.0],]); fitRoutes();");
    // A long track's line is thinned (on two threads), but never farther than the tolerance
    // from any point of the track, and its ends are the track's own points as stored.
    const double north = 111320.0, east = north * std::cos(52.0 * M_PI / 180); // m per degree
    auto metres = [&](double latitude, double longitude) {
        return QPointF((longitude - 13.0) * east, (latitude - 52.0) * north);
    };
    std::vector<RVPoint> points; // a metre apart eastwards, on a 300 m wave north and south
    for (int i = 0; i < 150000; ++i)
        points.push_back(point(QString::number(52.0 + 300 * std::sin(i / 200.0) / north, 'f', 6),
                               QString::number(13.0 + i / east, 'f', 6)));
    drawn(points);
    ASSERT_EQ(runner.scripts.size(), 4);
    const QStringList pairs = runner.scripts[2].mid(12).chopped(5).split("],[");
    EXPECT_EQ(pairs.front() + " " + pairs.back(),
              QString("%1, %2 %3, %4")
                  .arg(points.front().latitude(), points.front().longitude(),
                       points.back().latitude(), points.back().longitude()));
    EXPECT_GE(pairs.size(), 375);
    EXPECT_LE(pairs.size(), 18750);
    std::vector<QPointF> line;
    for (const QString& pair : pairs)
        line.push_back(
            metres(pair.section(", ", 0, 0).toDouble(), pair.section(", ", 1).toDouble()));
    // Every point within 0.5 m, and the texts' rounding, of the segment beside it.
    std::size_t s = 0;
    for (const RVPoint& p : points) {
        const QPointF q = metres(p.latitudeValue(), p.longitudeValue());
        while (s + 2 < line.size() && q.x() > line[s + 1].x() + 1e-6)
            ++s;
        const QPointF a = line[s], d = line[s + 1] - a;
        const QPointF off =
            a - q +
            d * std::clamp(QPointF::dotProduct(q - a, d) / QPointF::dotProduct(d, d), 0.0, 1.0);
        ASSERT_LE(std::hypot(off.x(), off.y()), 0.6) << p.latitude().toStdString();
    }
    runner.ready = false;
    drawn({point("50.000000", "10.000000"), point("0.000000", "11.000000")});
    runner.ready = true;
    EXPECT_EQ(redrawn(), "clearRoutes(); checkMapCenter([50.000000, 10.000000]) "
                         "drawRoute([[50.000000, 10.000000],]); fitRoutes();");
    EXPECT_FALSE(redrawn().contains("fitRoutes();")); // a page loaded again keeps its view
    bridge->updateCurrentPositionOnMap(0.5);          // a longitude alone is a fix
    EXPECT_EQ(drawn({point("0", "0")}), "clearRoutes(); checkMapCenter([0.000000, 11.000000]);");

    // The marker and the read-outs at a position.
    runner.scripts.clear();
    QSignalSpy altitude(bridge.get(), &RVMapBridge::altitudeTextChanged);
    QSignalSpy velocity(bridge.get(), &RVMapBridge::velocityTextChanged);
    bridge->setTrack(
        track({point("55.000000", "37.000000", 99.9, 45.5), point("0.000000", "37.600000", 100, 10),
               point("0", "0", 120, 0), point("56.000000", "38.000000", 130, 270.25)}),
        std::make_shared<const std::vector<double>>(std::vector{42.7, 100.0, 0.0, 5.0}));
    bridge->updateCurrentPositionOnMap(-1.0); // another row selected: no position, no read-outs
    EXPECT_TRUE(runner.scripts.isEmpty());
    ASSERT_FALSE(altitude.isEmpty() || velocity.isEmpty());
    EXPECT_EQ(altitude.last().at(0).toString() + velocity.last().at(0).toString(), QString());
    QStringList shown;
    // No fix at 0.5: the next point with one stands in, flagged, with the speed at 0.5. The
    // trip's end is its last point.
    for (const auto& [units, progress] :
         {std::pair{"Metric", 0.0}, {"Metric", 1.0}, {"British", 0.25}, {"british", 0.5}}) {
        bridge->setMeasurementSystem(units); // only "British" is not metric
        bridge->updateCurrentPositionOnMap(progress);
        shown << runner.scripts.last() + " " + altitude.last().at(0).toString() + " " +
                     velocity.last().at(0).toString();
    }
    EXPECT_EQ(shown, QStringList({"moveCurrentPositionTo([55.000000, 37.000000], 45.500000, 0) "
                                  "LABEL_ALTITUDE_TITLE: 99 LABEL_ALTITUDE_METER 42 KM_PER_HOUR",
                                  "moveCurrentPositionTo([56.000000, 38.000000], 270.250000, 0) "
                                  "LABEL_ALTITUDE_TITLE: 130 LABEL_ALTITUDE_METER 5 KM_PER_HOUR",
                                  "moveCurrentPositionTo([0.000000, 37.600000], 10.000000, 0) "
                                  "LABEL_ALTITUDE_TITLE: 327 LABEL_ALTITUDE_FOOT 62 MILES_PER_HOUR",
                                  "moveCurrentPositionTo([56.000000, 38.000000], 270.250000, 1) "
                                  "LABEL_ALTITUDE_TITLE: 130 LABEL_ALTITUDE_METER 0 KM_PER_HOUR"}));
    bridge->drawRoute(); // ends on the latest position
    EXPECT_EQ(runner.scripts.last(), shown.last().section(" LABEL", 0, 0));
    // A recording without altitude or speed shows none, not the last one known.
    bridge->setTrack(track({point("55.000000", "37.000000", std::nan(""))}), nullptr);
    bridge->updateCurrentPositionOnMap(0.5);
    EXPECT_EQ(altitude.last().at(0).toString() + velocity.last().at(0).toString(), QString());

    // A click seeks to the nearest point (the first of equally near ones).
    QSignalSpy seeks(bridge.get(), &RVMapBridge::graphClicked);
    bridge->setTrack(track({point("10", "10"), point("11", "11"), point("13", "11")}), nullptr);
    bridge->routeClickedOnLatitude(12, 11);
    bridge->setTrack(track({}), nullptr);
    bridge->routeClickedOnLatitude(1, 1); // nowhere to seek
    EXPECT_EQ(seeks, (QList<QVariantList>{{1.0 / 3}}));
    // The first centre was stored at once, later ones only when the bridge goes.
    EXPECT_EQ(RVSettings::doubleValue(RVSettings::kMapCenterLongitude), 11.0);
    bridge.reset(); // the last position shown, the recording without altitude
    EXPECT_DOUBLE_EQ(RVSettings::doubleValue(RVSettings::kMapCenterLongitude), 37.0);
}

// The route and marker drawn, a click near the route reaching the program, and a new trip
// fitted on the page. Tiles come from the address in the settings, name the program, and stay
// on disk: with the server gone a new page still shows them, though they had expired.
TEST(MapPage, RouteMarkerClicksFittingAndTiles)
{
    const QByteArray png =
        support::readFile(KORVELA_SOURCE_DIR "/resources/icons/korvela-player-256.png");
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QStringList requests;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
                requests << QString::fromLatin1(socket->readAll());
                const QByteArray date = "Mon, 01 Jan 2024 00:00:00 GMT\r\n";
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nDate: " + date +
                              "Expires: " + date + "Last-Modified: " + date +
                              "Connection: close\r\nContent-Length: " +
                              QByteArray::number(png.size()) + "\r\n\r\n" + png);
                socket->disconnectFromHost();
            });
        }
    });
    const QString tiles = QString("http://127.0.0.1:%1/t/{z}/{x}/{y}.png").arg(server.serverPort());
    RVSettings::setText(RVSettings::kMapTileUrl, tiles);
    const char* tilesShown = "document.querySelectorAll('img.leaflet-tile-loaded').length > 0";

    RVMapView view;
    ASSERT_TRUE(openPage(view, "OpenStreetMap"));
    RVMapBridge bridge(&view);
    auto points = std::make_shared<std::vector<RVPoint>>();
    for (int i = 0; i <= 200; ++i) // four points first, then a drive of about 20 km
        points->push_back(point(QString::number(i == 2 ? 0 : 52.0 + i * 0.001, 'f', 6),
                                QString::number(i == 2 ? 0 : 13.0 + i * 0.0005, 'f', 6)));
    bridge.setTrack(std::make_shared<std::vector<RVPoint>>(points->begin(), points->begin() + 4),
                    nullptr);
    bridge.updateCurrentPositionOnMap(0.5); // without a fix: the next point stands in
    QSignalSpy altitudes(&bridge, &RVMapBridge::altitudeTextChanged);
    bridge.drawRoute();
    EXPECT_TRUE(state(view, "s.provider === 'leaflet' && s.routes === 2 && s.routePoints === 3 && "
                            "s.marker && s.marker[0] === 52.003 && s.marker[1] === 13.0015 && "
                            "s.substitute"));
    QSignalSpy clicks(view.scriptObject(), &RVMapScriptObject::routeClicked);
    evaluate(view, "korvelaClickMap(52.013, 13.0015); korvelaClickMap(52.003, 13.0015)");
    ASSERT_TRUE(support::waitFor([&] { return evaluate(view, "0"), !clicks.isEmpty(); }));
    EXPECT_EQ(clicks, (QList<QVariantList>{{52.003, 13.0015}})); // not a kilometre off
    // A trip without positions afterwards: no marker, no read-outs left of the one before.
    ASSERT_FALSE(altitudes.isEmpty() || altitudes.last()[0].toString().isEmpty());
    bridge.setTrack(nullptr, nullptr);
    bridge.drawRoute();
    EXPECT_TRUE(state(view, "s.routes === 0 && s.marker === null"));
    EXPECT_EQ(altitudes.last()[0].toString(), QString());

    // A new trip is shown whole, not around its first fix.
    bridge.setTrack(points, nullptr);
    bridge.drawRoute();
    EXPECT_TRUE(state(view, "s.routes === 2 && Math.abs(s.center[0] - 52.1) < 0.02 && "
                            "Math.abs(s.center[1] - 13.05) < 0.02 && s.zoom < 15"));
    EXPECT_TRUE(waitFor(view, tilesShown));
    EXPECT_TRUE(state(view, "s.tilesNote === ''"));
    // No tile server and nothing kept: a note over the grey area says why the map is blank.
    RVSettings::setText(RVSettings::kMapTileUrl, "http://127.0.0.1:1/none/{z}/{x}/{y}.png");
    RVMapView unreachable;
    EXPECT_TRUE(openPage(unreachable, "OpenStreetMap") &&
                state(unreachable, "s.tilesNote === 'MAP_TILES_OFFLINE'"));
    RVSettings::setText(RVSettings::kMapTileUrl, tiles);
    server.close();
    RVMapView offline;
    EXPECT_TRUE(openPage(offline, "OpenStreetMap") && waitFor(offline, tilesShown));
    RVSettings::setText(RVSettings::kMapTileUrl, QString());
    ASSERT_FALSE(requests.isEmpty());
    EXPECT_TRUE(QRegularExpression("^GET /t/\\d+/\\d+/\\d+\\.png ").match(requests[0]).hasMatch() &&
                requests[0].contains("User-Agent: KorvelaPlayer/"))
        << requests[0].toStdString();
    EXPECT_TRUE(RVMapView::pageResourceFor("../maps/Google").isEmpty()); // no page: none
}

// The whole card: two trips drawn at once on one canvas, each in its own colour (the second split
// where it has no fix), with the legend; a click near the second trip's route names that trip and
// the moment of its nearest point, a click between the routes nothing. Clearing takes all of it.
TEST(MapPage, CardRoutesInTheirColoursAndClicks)
{
    RVMapView view;
    ASSERT_TRUE(openPage(view, "OpenStreetMap"));
    RVCardBridge card(&view);
    QObject::connect(view.scriptObject(), &RVMapScriptObject::cardRouteClickedAt, &card,
                     &RVCardBridge::routeClicked);
    QSignalSpy moments(&card, &RVCardBridge::momentChosen);
    // Straight eastwards, 0.0001 degrees (about 7 m) a point, the second 1.1 km north of the
    // first: the line keeps only each run's ends, clicks find the points between.
    auto drive = [](double latitude, int noFixAt) {
        std::vector<RVPoint> points;
        for (int i = 0; i <= 50; ++i)
            points.push_back(i == noFixAt ? point("0", "0")
                                          : point(QString::number(latitude, 'f', 6),
                                                  QString::number(13.0 + i * 0.0001, 'f', 6)));
        return track(std::move(points));
    };
    const auto first = drive(52.0, -1), second = drive(52.01, 25);
    const QString a = RVCardRoutes::colour(0), b = RVCardRoutes::colour(1);
    card.addRoute(0, first, RVCardRoutes::routeScript(0, a.toStdString(), *first));
    card.addRoute(7, second, RVCardRoutes::routeScript(7, b.toStdString(), *second));
    card.fitRoutes();
    card.showLegend("Card", {{"Mon: 2 trips", {a, b}}});
    EXPECT_TRUE(state(view, "s.cardRoutes.map(function (r) { return r[0]; }).join() === '0,7,7' "
                            "&& s.routePoints === 6 && s.legend === 'Card\\nMon: 2 trips'"));
    // The two colours most of the route canvas's opaque pixels have, the commoner first.
    const QString shown = "(function () { var n = {}; document.querySelectorAll("
                          "'canvas.korvela-route').forEach(function (c) { var d = "
                          "c.getContext('2d').getImageData(0, 0, c.width, c.height).data;"
                          "for (var i = 0; i < d.length; i += 4) if (d[i + 3] > 200) {"
                          "var k = [d[i], d[i + 1], d[i + 2]].join(); n[k] = (n[k] || 0) + 1; }"
                          "}); return Object.keys(n).sort(function (a, b) { return n[b] - n[a]; "
                          "}).slice(0, 2).join(' '); })()";
    // Both trips' colours (within the rounding of their 85 % opacity), in about equal parts.
    const auto near = [](const QString& shownColour, const QString& colour) {
        const QStringList c = shownColour.split(',');
        const QColor expected(colour);
        return c.size() == 3 && std::abs(c[0].toInt() - expected.red()) <= 3 &&
               std::abs(c[1].toInt() - expected.green()) <= 3 &&
               std::abs(c[2].toInt() - expected.blue()) <= 3;
    };
    EXPECT_NE(a, b);
    QStringList colours;
    EXPECT_TRUE(support::waitFor([&] {
        colours = evaluate(view, shown).toString().split(' ');
        return colours.size() == 2 && ((near(colours[0], a) && near(colours[1], b)) ||
                                       (near(colours[0], b) && near(colours[1], a)));
    })) << colours.join(' ').toStdString();

    // Between the routes, then beside the second's 31st point (a metre north of it).
    evaluate(view, "korvelaClickMap(52.005, 13.003); korvelaClickMap(52.01001, 13.003)");
    ASSERT_TRUE(support::waitFor([&] { return evaluate(view, "0"), !moments.isEmpty(); }));
    EXPECT_EQ(moments, (QList<QVariantList>{{7, 30.0 / 51}}));
    card.clear();
    EXPECT_TRUE(state(view, "s.cardRoutes.length === 0 && s.routes === 0 && s.legend === ''"));
}

// A page's tile request becomes a server address only for a tile of the grid (the fuzz target
// checks that for any request); the template's subdomains take turns; a stored template that
// is not a web address gives way to the default.
TEST(MapTileAddress, SubdomainsTakeTurnsAndOnlyTilesOfTheGridReachTheServer)
{
    const QString osm = RVSettings::kDefaultMapTileUrl;
    auto address = [](const QString& tileTemplate, const char* tile) {
        return RVMapViewTileAddressUtil::serverAddress(tileTemplate, QUrl(tile)).value_or(QUrl());
    };
    EXPECT_EQ(address("https://{s}.tiles.example/{z}/{x}/{y}{r}.png", "korvela-tile:2/1/3"),
              QUrl("https://b.tiles.example/2/1/3.png"));
    for (const char* tile :
         {"korvela-tile:2/+1/0", "korvela-tile:2/1/1?x=1", "korvela-tile:1 /1/1"})
        EXPECT_TRUE(address(osm, tile).isEmpty()) << tile;
    EXPECT_EQ(RVMapViewTileAddressUtil::usableTemplate("file:///{z}/{x}/{y}"), osm);
}
