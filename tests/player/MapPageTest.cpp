#include "MapPageScript.h"
#include "WindowTestSupport.h"

#include "player/RVMainViewController.h"
#include "player/RVMapBridge.h"
#include "player/RVMapScriptObject.h"
#include "player/RVMapView.h"
#include "player/RVMapViewTileAddress.h"

#include "metadata/RVSettings.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>

#include <QApplication>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <algorithm>
#include <tuple>

#include <gtest/gtest.h>

namespace {

using MapPageScript::evaluate;
using MapPageScript::waitFor;

// Messages from the page arrive through the web engine's own message pump; keep talking to
// the page while waiting so they are delivered.
bool waitForCount(RVMapView& view, QSignalSpy& spy, int count, int timeoutMs = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (spy.count() < count && timer.elapsed() < timeoutMs) {
        evaluate(view, "0");
        spy.wait(50);
    }
    return spy.count() >= count;
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

RVPoint point(const char* latitude, const char* longitude)
{
    return RVPoint(latitude, longitude, 100, 90, 0, RVTimestamp());
}

} // namespace

TEST(MapPage, DrawsRouteAndMarkerWithoutTilesAndCallsBack)
{
    RVMapView view;
    ASSERT_TRUE(openPage(view, "OpenStreetMap"));

    RVMapBridge bridge(&view);
    bridge.setTrack(std::make_shared<const std::vector<RVPoint>>(std::vector<RVPoint>{
                        point("55.751244", "37.618423"), point("55.751300", "37.618500"),
                        point("0", "0"), point("55.752000", "37.619000")}),
                    nullptr);
    bridge.updateCurrentPositionOnMap(0.5); // a point without a fix: the next one stands in
    bridge.drawRoute();

    ASSERT_TRUE(waitFor(view, "korvelaMapState().marker !== null"));
    const QVariantMap state = evaluate(view, "korvelaMapState()").toMap();
    EXPECT_EQ(state.value("provider").toString(), "leaflet");
    EXPECT_EQ(state.value("routes").toInt(), 2);
    EXPECT_EQ(state.value("routePoints").toInt(), 3);
    const QVariantList marker = state.value("marker").toList();
    ASSERT_EQ(marker.size(), 2);
    EXPECT_DOUBLE_EQ(marker[0].toDouble(), 55.752);
    EXPECT_DOUBLE_EQ(marker[1].toDouble(), 37.619);
    EXPECT_TRUE(state.value("substitute").toBool());
    const QVariantList centre = state.value("center").toList();
    ASSERT_EQ(centre.size(), 2);
    EXPECT_NEAR(centre[0].toDouble(), 55.75, 0.01);

    // clearRoutes removes them again.
    view.runScript("clearRoutes();");
    EXPECT_TRUE(waitFor(view, "korvelaMapState().routes === 0"));

    // The page's two calls reach the program, and only through the "Cocoa" object.
    bridge.drawRoute();
    ASSERT_TRUE(waitFor(view, "korvelaMapState().routes === 2"));
    QSignalSpy clicks(view.scriptObject(), &RVMapScriptObject::routeClicked);
    QSignalSpy keys(view.scriptObject(), &RVMapScriptObject::mapKeyPressed);
    evaluate(view, "korvelaClickMap(55.76, 37.619)"); // a kilometre off the route: nothing
    evaluate(view, "korvelaClickMap(55.752, 37.619)");
    ASSERT_TRUE(waitForCount(view, clicks, 1));
    EXPECT_DOUBLE_EQ(clicks.first().at(0).toDouble(), 55.752);
    EXPECT_DOUBLE_EQ(clicks.first().at(1).toDouble(), 37.619);
    evaluate(view,
             "document.dispatchEvent(new KeyboardEvent('keydown', {code: 'Space', key: ' '}));"
             "document.dispatchEvent(new KeyboardEvent('keydown', {code: 'Enter', key: "
             "'Enter', altKey: true}));"
             "document.dispatchEvent(new KeyboardEvent('keydown', {code: 'KeyN', key: 'n'}));");
    ASSERT_TRUE(waitForCount(view, keys, 2));
    EXPECT_EQ(keys.count(), 2);
    EXPECT_EQ(keys[0].at(0).toString(), "spacebar");
    EXPECT_EQ(keys[1].at(0).toString(), "alt enter");
    EXPECT_FALSE(evaluate(view, "typeof Cocoa.drawRoute === 'function' || "
                                "typeof Cocoa.graphClicked === 'function'")
                     .toBool());
}

TEST(MapPage, EveryPointSentReachesTheRoute)
{
    RVMapView view;
    ASSERT_TRUE(openPage(view, "OpenStreetMap"));
    // With the thinning off every point is sent; the page draws a vertex per pixel of line.
    for (int count : {1, 2, 4500}) {
        auto points = std::make_shared<std::vector<RVPoint>>();
        for (int i = 0; i < count; ++i) {
            const QByteArray latitude = QByteArray::number(52.0 + i * 1e-5, 'f', 6);
            const QByteArray longitude = QByteArray::number(13.0 + i * 1e-5, 'f', 6);
            points->push_back(point(latitude.constData(), longitude.constData()));
        }
        RVMapBridge bridge(&view);
        bridge.setRouteToleranceMetres(0);
        bridge.setTrack(points, nullptr);
        bridge.drawRoute();
        EXPECT_TRUE(waitFor(view, QStringLiteral("korvelaMapState().routes === 1 && "
                                                 "korvelaMapState().routePoints === %1 && "
                                                 "korvelaMapState().drawnVertices >= %2 && "
                                                 "korvelaMapState().drawnVertices <= %1")
                                      .arg(count)
                                      .arg(std::min(count, 2))))
            << count;
    }

    // A zigzag 400 m long, its corners 3 m off the line: four pixels at zoom 17, where every
    // corner must be drawn, and a thirtieth of a pixel at zoom 10, where a straight stroke
    // shows the same.
    auto zigzag = std::make_shared<std::vector<RVPoint>>();
    for (int i = 0; i < 100; ++i) {
        const QByteArray latitude = QByteArray::number(52.0 + (i % 2) * 3 / 111320.0, 'f', 6);
        const QByteArray longitude = QByteArray::number(13.0 + i * 4 / 68535.0, 'f', 6);
        zigzag->push_back(point(latitude.constData(), longitude.constData()));
    }
    RVMapBridge bridge(&view);
    bridge.setRouteToleranceMetres(0);
    bridge.setTrack(zigzag, nullptr);
    bridge.drawRoute();
    ASSERT_TRUE(waitFor(view, "korvelaMapState().routePoints === 100"));
    for (const auto& [zoom, fewest, most] : {std::tuple{17, 100, 100}, std::tuple{10, 2, 3}}) {
        evaluate(view, QStringLiteral("korvelaZoomBy(%1 - korvelaMapState().zoom)").arg(zoom));
        EXPECT_TRUE(waitFor(view, QStringLiteral("korvelaMapState().zoom === %1 && "
                                                 "korvelaMapState().drawnVertices >= %2 && "
                                                 "korvelaMapState().drawnVertices <= %3")
                                      .arg(zoom)
                                      .arg(fewest)
                                      .arg(most)))
            << zoom << ": " << evaluate(view, "korvelaMapState().drawnVertices").toInt();
    }
}

TEST(MapPage, GooglePageWithoutKeyShowsTheLeafletMapAndSaysSo)
{
    RVMapView view;
    ASSERT_TRUE(openPage(view, "Google"));
    EXPECT_EQ(evaluate(view, "korvelaMapState().provider").toString(), "leaflet");
    EXPECT_FALSE(
        evaluate(view, "document.getElementById('note').textContent").toString().isEmpty());
    // The note never covers the tiles' attribution, however narrow the map.
    for (int width : {640, 260}) {
        view.resize(width, 300);
        EXPECT_TRUE(waitFor(
            view, "(function () {"
                  " var a = document.querySelector('.leaflet-control-attribution')"
                  ".getBoundingClientRect();"
                  " var n = document.getElementById('note').getBoundingClientRect();"
                  " return a.width > 0 && n.width > 0 && (n.bottom <= a.top || n.top >= a.bottom"
                  " || n.right <= a.left || n.left >= a.right); })()"))
            << width;
    }
    // Providers without a page load nothing, whatever the name.
    EXPECT_TRUE(RVMapView::pageResourceFor("Bing").isEmpty());
    EXPECT_TRUE(RVMapView::pageResourceFor("../maps/Google").isEmpty());
    EXPECT_TRUE(RVMapView::pageResourceFor("").isEmpty());
}

// A newly chosen trip is shown whole; another provider's page opens where the map looked.
TEST(MapPage, RouteIsFittedAndAnotherProviderKeepsTheView)
{
    RVMapView view;
    ASSERT_TRUE(openPage(view, "OpenStreetMap"));
    RVMapBridge bridge(&view);
    // A drive of about 20 km; the first fix alone would centre on its start only.
    auto points = std::make_shared<std::vector<RVPoint>>();
    for (int i = 0; i <= 200; ++i) {
        const QByteArray latitude = QByteArray::number(52.0 + i * 0.001, 'f', 6);
        const QByteArray longitude = QByteArray::number(13.0 + i * 0.0005, 'f', 6);
        points->push_back(point(latitude.constData(), longitude.constData()));
    }
    bridge.setTrack(points, nullptr);
    bridge.drawRoute();
    EXPECT_TRUE(waitFor(view, "korvelaMapState().routes === 1 && "
                              "Math.abs(korvelaMapState().center[0] - 52.1) < 0.02 && "
                              "Math.abs(korvelaMapState().center[1] - 13.05) < 0.02 && "
                              "korvelaMapState().zoom < 15"));

    // The user looks elsewhere; the Google page (here without a key, so a Leaflet map) opens
    // on the same view and a redraw of the same route does not move it.
    const int fitted = evaluate(view, "korvelaMapState().zoom").toInt();
    evaluate(view, "korvelaZoomBy(3)");
    ASSERT_TRUE(waitFor(view, QStringLiteral("korvelaMapState().zoom === %1").arg(fitted + 3)));
    const QVariantMap before = evaluate(view, "korvelaMapView()").toMap();
    evaluate(view, "window.korvelaOldPage = true");
    QSignalSpy ready(&view, &RVMapView::pageReady);
    view.setMapsProvider("Google");
    ASSERT_TRUE(ready.wait(30000));
    ASSERT_TRUE(waitFor(view, "!window.korvelaOldPage && korvelaMapState().ready === true"));
    bridge.drawRoute();
    ASSERT_TRUE(waitFor(view, "korvelaMapState().routes === 1"));
    const QVariantMap after = evaluate(view, "korvelaMapView()").toMap();
    EXPECT_EQ(after.value("zoom").toInt(), before.value("zoom").toInt());
    EXPECT_NEAR(after.value("lat").toDouble(), before.value("lat").toDouble(), 1e-6);
    EXPECT_NEAR(after.value("lng").toDouble(), before.value("lng").toDouble(), 1e-6);
}

// Tiles come from the address in the settings, name the program, and stay on disk: when the
// server fails or is gone a new page still shows the tiles it served, though they had expired;
// a tile the server says does not exist is not shown.
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
                socket->write("HTTP/1.1 " + status +
                              "\r\nContent-Type: image/png\r\n"
                              "Date: Mon, 01 Jan 2024 00:00:00 GMT\r\n"
                              "Expires: Mon, 01 Jan 2024 00:00:00 GMT\r\n"
                              "Last-Modified: Mon, 01 Jan 2024 00:00:00 GMT\r\n"
                              "Connection: close\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
        }
    });
    RVSettings::setText(
        RVSettings::kMapTileUrl,
        QStringLiteral("http://127.0.0.1:%1/tiles/{z}/{x}/{y}.png").arg(server.serverPort()));
    const char* shown = "document.querySelectorAll('img.leaflet-tile-loaded').length > 0";
    const char* refused = "(function () { var t = document.querySelectorAll('img.leaflet-tile');"
                          " return t.length > 0 && Array.prototype.every.call(t, function (i) {"
                          " return i.complete && !i.classList.contains('leaflet-tile-loaded');"
                          " }); })()";
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
    EXPECT_TRUE(requests.first().contains("User-Agent: KorvelaPlayer/"))
        << requests.first().toStdString();
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
        {osm, "korvela-tile:19/524287/0", "https://tile.openstreetmap.org/19/524287/0.png"},
        {osm, "korvela-tile:24/16777215/16777215",
         "https://tile.openstreetmap.org/24/16777215/16777215.png"},
        {subdomains, "korvela-tile:2/1/2", "https://a.tiles.example/2/1/2.png"},
        {subdomains, "korvela-tile:2/1/3", "https://b.tiles.example/2/1/3.png"},
        {osm, "korvela-tile:19/524288/0", ""}, // one column past the grid
        {osm, "korvela-tile:2/0/4", ""},
        {osm, "korvela-tile:25/0/0", ""},
        {osm, "korvela-tile:2/-1/0", ""},
        {osm, "korvela-tile:2/+1/0", ""},
        {osm, "korvela-tile:2/1", ""},
        {osm, "korvela-tile:2/1/1/1", ""},
        {osm, "korvela-tile:2/1/1?x=1", ""},
        {osm, "korvela-tile:2/%2e%2e/1", ""},
        {osm, "korvela-tile:1 /1/1", ""},
        {osm, "korvela-tile:99999999999/1/1", ""},
        {osm, "https://tile.openstreetmap.org/2/1/1.png", ""},
        {"file:///etc/{z}/{x}/{y}", "korvela-tile:2/1/1", ""},
        {"https://tiles.example/{z}/{x}.png", "korvela-tile:2/1/1", ""},
    };
    for (const auto& c : cases) {
        const std::optional<QUrl> address =
            RVMapViewTileAddressUtil::serverAddress(c.tileTemplate, QUrl(c.request));
        EXPECT_EQ(address ? address->toString().toStdString() : std::string(), c.address)
            << c.request;
    }
    EXPECT_EQ(RVMapViewTileAddressUtil::usableTemplate("file:///{z}/{x}/{y}"), osm);
    EXPECT_EQ(RVMapViewTileAddressUtil::usableTemplate(subdomains), subdomains);
}

// The map is one stop of the window's Tab order: Tab enters the page and leaves it again, and
// Shift+Tab leaves it backwards, however the page would move its own focus.
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
        if (key == Qt::Key_Backtab) {
            EXPECT_EQ(QApplication::focusWidget(), fullScreen);
        }
    }
}
