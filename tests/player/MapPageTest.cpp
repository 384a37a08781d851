#include "MapPageScript.h"

#include "player/RVMapBridge.h"
#include "player/RVMapScriptObject.h"
#include "player/RVMapView.h"
#include "player/RVMapViewTileAddress.h"

#include "metadata/RVSettings.h"
#include "support/Support.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

using MapPageScript::evaluate;
using MapPageScript::waitFor;

namespace {

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

} // namespace

// The route and marker drawn, a click near the route reaching the program, and a new trip
// fitted on the page. Tiles come from the address in the settings, name the program, and stay
// on disk: with the server gone a new page still shows them, though they had expired.
TEST(MapPage, RouteMarkerClicksFittingAndTiles)
{
    QByteArray png;
    QBuffer pngBuffer(&png);
    pngBuffer.open(QIODevice::WriteOnly);
    QImage(256, 256, QImage::Format_RGB32).save(&pngBuffer, "PNG");
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
    RVSettings::setText(
        RVSettings::kMapTileUrl,
        QStringLiteral("http://127.0.0.1:%1/t/{z}/{x}/{y}.png").arg(server.serverPort()));
    const char* tilesShown = "document.querySelectorAll('img.leaflet-tile-loaded').length > 0";

    RVMapView view;
    ASSERT_TRUE(openPage(view, "OpenStreetMap"));
    RVMapBridge bridge(&view);
    auto points = std::make_shared<std::vector<RVPoint>>();
    for (int i = 0; i <= 200; ++i) // four points first, then a drive of about 20 km
        points->emplace_back(QString::number(i == 2 ? 0 : 52.0 + i * 0.001, 'f', 6).toStdString(),
                             QString::number(i == 2 ? 0 : 13.0 + i * 0.0005, 'f', 6).toStdString(),
                             0, 0, 0, RVTimestamp());
    bridge.setTrack(std::make_shared<std::vector<RVPoint>>(points->begin(), points->begin() + 4),
                    nullptr);
    bridge.updateCurrentPositionOnMap(0.5); // without a fix: the next point stands in
    bridge.drawRoute();
    EXPECT_TRUE(state(view, "s.provider === 'leaflet' && s.routes === 2 && s.routePoints === 3 && "
                            "s.marker && s.marker[0] === 52.003 && s.marker[1] === 13.0015 && "
                            "s.substitute"));
    QSignalSpy clicks(view.scriptObject(), &RVMapScriptObject::routeClicked);
    evaluate(view, "korvelaClickMap(52.013, 13.0015); korvelaClickMap(52.003, 13.0015)");
    ASSERT_TRUE(support::waitFor([&] { return evaluate(view, "0"), !clicks.isEmpty(); }));
    EXPECT_EQ(clicks, (QList<QVariantList>{{52.003, 13.0015}})); // not a kilometre off

    // A new trip is shown whole, not around its first fix.
    bridge.setTrack(points, nullptr);
    bridge.drawRoute();
    EXPECT_TRUE(state(view, "s.routes === 2 && Math.abs(s.center[0] - 52.1) < 0.02 && "
                            "Math.abs(s.center[1] - 13.05) < 0.02 && s.zoom < 15"));
    EXPECT_TRUE(waitFor(view, tilesShown));
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
