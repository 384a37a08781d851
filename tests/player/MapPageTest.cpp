#include "MapPageScript.h"
#include "WindowTestSupport.h"

#include "player/RVMainViewController.h"
#include "player/RVMapBridge.h"
#include "player/RVMapScriptObject.h"
#include "player/RVMapView.h"
#include "player/RVMapViewTileAddress.h"

#include "metadata/RVSettings.h"
#include "support/Support.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

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

// count points from 52 N 13 E, each dNorth and dEast degrees on from the one before.
auto line(int count, double dNorth, double dEast)
{
    auto points = std::make_shared<std::vector<RVPoint>>();
    for (int i = 0; i < count; ++i)
        points->emplace_back(QByteArray::number(52.0 + i * dNorth, 'f', 6).toStdString(),
                             QByteArray::number(13.0 + i * dEast, 'f', 6).toStdString(), 100, 90, 0,
                             RVTimestamp());
    return points;
}

// Waits until the condition on the page's state `s` holds.
bool state(RVMapView& view, const QString& condition)
{
    return waitFor(view, "(function (s) { return " + condition + "; })(korvelaMapState())");
}

} // namespace

// One page through its life: the route and marker drawn, the page's calls back, a new trip
// fitted, and another provider's page opening where the map looked.
TEST(MapPage, RouteMarkerCallsFittingAndAnotherProvider)
{
    RVMapView view;
    ASSERT_TRUE(openPage(view, "OpenStreetMap"));
    RVMapBridge bridge(&view);
    auto points = line(4, 0.0001, 0.0001);
    (*points)[2] = RVPoint("0", "0", 0, 0, 0, RVTimestamp());
    bridge.setTrack(points, nullptr);
    bridge.updateCurrentPositionOnMap(0.5); // without a fix: the next point stands in
    bridge.drawRoute();
    EXPECT_TRUE(state(view, "s.provider === 'leaflet' && s.routes === 2 && s.routePoints === 3 && "
                            "s.marker && s.marker[0] === 52.0003 && s.marker[1] === 13.0003 && "
                            "s.substitute"));

    // Clicks near the route and the map's keys reach the program, only through "Cocoa".
    QSignalSpy clicks(view.scriptObject(), &RVMapScriptObject::routeClicked);
    QSignalSpy keys(view.scriptObject(), &RVMapScriptObject::mapKeyPressed);
    evaluate(view, "korvelaClickMap(52.01, 13.0003); korvelaClickMap(52.0003, 13.0003);"
                   "for (const [code, key, altKey] of [['Space', ' ', false], ['Enter', 'Enter', "
                   "true], ['KeyN', 'n', false]])"
                   "  document.dispatchEvent(new KeyboardEvent('keydown', {code, key, altKey}));");
    ASSERT_TRUE(support::waitFor([&] { return evaluate(view, "0"), keys.count() >= 2; }));
    ASSERT_EQ(clicks.count(), 1); // the first was a kilometre off the route
    EXPECT_EQ(clicks[0], (QVariantList{52.0003, 13.0003}));
    ASSERT_EQ(keys.count(), 2);
    EXPECT_EQ(keys[0][0].toString() + "|" + keys[1][0].toString(), "spacebar|alt enter");
    EXPECT_EQ(evaluate(view, "typeof Cocoa.drawRoute + typeof Cocoa.graphClicked").toString(),
              "undefinedundefined");

    // A new trip of about 20 km is shown whole, not around its first fix.
    bridge.setTrack(line(201, 0.001, 0.0005), nullptr);
    bridge.drawRoute();
    ASSERT_TRUE(state(view, "s.routes === 1 && Math.abs(s.center[0] - 52.1) < 0.02 && "
                            "Math.abs(s.center[1] - 13.05) < 0.02 && s.zoom < 15"));
    // The user looks elsewhere; the Google page (without a key a Leaflet map and a note)
    // opens there, and a redraw of the route does not move it.
    const int fitted = evaluate(view, "korvelaMapState().zoom").toInt();
    evaluate(view, "korvelaZoomBy(3)");
    ASSERT_TRUE(state(view, QStringLiteral("s.zoom === %1").arg(fitted + 3)));
    const QVariantMap before = evaluate(view, "korvelaMapView()").toMap();
    evaluate(view, "window.korvelaOldPage = true");
    ASSERT_TRUE(openPage(view, "Google") && waitFor(view, "!window.korvelaOldPage"));
    bridge.drawRoute();
    ASSERT_TRUE(state(view, "s.routes === 1 && s.provider === 'leaflet' && "
                            "document.getElementById('note').textContent !== ''"));
    const QVariantMap after = evaluate(view, "korvelaMapView()").toMap();
    EXPECT_EQ(after.value("zoom"), before.value("zoom"));
    for (const char* axis : {"lat", "lng"})
        EXPECT_NEAR(after.value(axis).toDouble(), before.value(axis).toDouble(), 1e-6);
    for (const char* name : {"Bing", "../maps/Google", ""}) // no page: nothing loads
        EXPECT_TRUE(RVMapView::pageResourceFor(name).isEmpty()) << name;
}

// Tiles come from the address in the settings, name the program, and stay on disk: a new page
// still shows the tiles served before, though expired, when the server fails or is gone; a
// tile the server says does not exist is not shown.
TEST(MapPage, TilesComeFromTheSettingNameTheProgramAndShowOffline)
{
    QByteArray png;
    QBuffer pngBuffer(&png);
    pngBuffer.open(QIODevice::WriteOnly);
    QImage(256, 256, QImage::Format_RGB32).save(&pngBuffer, "PNG");
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QStringList requests;
    QByteArray status;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
                requests.append(QString::fromLatin1(socket->readAll()));
                const QByteArray body = status.startsWith("200") ? png : QByteArray();
                const QByteArray date = "Mon, 01 Jan 2024 00:00:00 GMT\r\n";
                socket->write("HTTP/1.1 " + status +
                              "\r\nContent-Type: image/png\r\nDate: " + date + "Expires: " + date +
                              "Last-Modified: " + date + "Connection: close\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
        }
    });
    RVSettings::setText(
        RVSettings::kMapTileUrl,
        QStringLiteral("http://127.0.0.1:%1/tiles/{z}/{x}/{y}.png").arg(server.serverPort()));
    const char* shown = "document.querySelectorAll('img.leaflet-tile-loaded').length > 0";
    const char* refused = "(function (t) { return t.length > 0 && Array.prototype.every.call(t, "
                          "function (i) { return i.complete && !i.classList.contains('leaflet-"
                          "tile-loaded'); }); })(document.querySelectorAll('img.leaflet-tile'))";
    for (const auto& [answer, expected] : {std::pair{"200 OK", shown},
                                           {"503 Service Unavailable", shown},
                                           {"404 Not Found", refused},
                                           {"", shown}}) {
        status = answer;
        if (status.isEmpty())
            server.close();
        RVMapView view;
        EXPECT_TRUE(openPage(view, "OpenStreetMap") && waitFor(view, expected)) << answer;
    }
    RVSettings::setText(RVSettings::kMapTileUrl, QString());
    ASSERT_FALSE(requests.isEmpty());
    EXPECT_TRUE(requests.first().startsWith("GET /tiles/2/")) << requests.first().toStdString();
    EXPECT_TRUE(requests.first().contains("User-Agent: KorvelaPlayer/"));
}

// A page's tile request becomes a server address only when it names a tile of the grid.
TEST(MapTileAddress, OnlyTilesOfTheGridReachTheServer)
{
    const QString osm = RVSettings::kDefaultMapTileUrl;
    const QString subdomains = "https://{s}.tiles.example/{z}/{x}/{y}{r}.png";
    const struct
    {
        QString tileTemplate;
        const char* request;
        const char* address; // empty: refused
    } cases[] = {
        {osm, "korvela-tile:0/0/0", "https://tile.openstreetmap.org/0/0/0.png"},
        {osm, "korvela-tile:24/16777215/16777215",
         "https://tile.openstreetmap.org/24/16777215/16777215.png"},
        {subdomains, "korvela-tile:2/1/2", "https://a.tiles.example/2/1/2.png"},
        {subdomains, "korvela-tile:2/1/3", "https://b.tiles.example/2/1/3.png"},
        {osm, "korvela-tile:19/524288/0", ""}, // one column past the grid
        {osm, "korvela-tile:2/0/4", ""},
        {osm, "korvela-tile:2/-1/0", ""},
        {osm, "korvela-tile:2/1/1?x=1", ""},
        {osm, "korvela-tile:2/%2e%2e/1", ""},
        {osm, "korvela-tile:99999999999/1/1", ""},
        {osm, "https://tile.openstreetmap.org/2/1/1.png", ""},
        {"file:///etc/{z}/{x}/{y}", "korvela-tile:2/1/1", ""},
        {"https://tiles.example/{z}/{x}.png", "korvela-tile:2/1/1", ""},
    };
    for (const auto& c : cases) {
        const std::optional<QUrl> address =
            RVMapViewTileAddressUtil::serverAddress(c.tileTemplate, QUrl(c.request));
        EXPECT_EQ(address ? address->toString() : QString(), c.address) << c.request;
    }
    EXPECT_EQ(RVMapViewTileAddressUtil::usableTemplate("file:///{z}/{x}/{y}"), osm);
    EXPECT_EQ(RVMapViewTileAddressUtil::usableTemplate(subdomains), subdomains);
}

// The map is one stop of the window's Tab order, both ways, however the page would move its
// own focus.
TEST(MapPage, TabEntersAndLeavesTheMap)
{
    windowtest::IsolatedSettings settings;
    RVMainViewController controller(std::make_shared<ScriptedDialogs>());
    controller.loadView(windowtest::makeVideoList(false));
    QMainWindow* window = controller.window();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    RVMapView* map = controller.mapWebView();
    QSignalSpy ready(map, &RVMapView::pageReady);
    ASSERT_TRUE(ready.wait(30000));
    QWidget* fullScreen = window->findChild<QWidget*>("fullScreenButton");
    ASSERT_NE(fullScreen, nullptr);
    const auto focusInMap = [map] {
        QWidget* focus = QApplication::focusWidget();
        return focus && (focus == map || map->isAncestorOf(focus));
    };
    for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        fullScreen->setFocus(Qt::TabFocusReason);
        QTest::keyClick(fullScreen, Qt::Key_Tab);
        ASSERT_TRUE(QTest::qWaitFor(focusInMap)) << key;
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !focusInMap(); })) << key;
    }
    EXPECT_EQ(QApplication::focusWidget(), fullScreen); // Shift+Tab goes back where it came from
}
