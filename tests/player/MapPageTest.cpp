#include "MapPageScript.h"

#include "player/RVMapBridge.h"
#include "player/RVMapScriptObject.h"
#include "player/RVMapView.h"

#include <QElapsedTimer>
#include <QSignalSpy>

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
    evaluate(view, "korvelaClickRoute(1, 55.752, 37.619)");
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

TEST(MapPage, LongRouteIsDrawnWholeAndContinuous)
{
    RVMapView view;
    ASSERT_TRUE(openPage(view, "OpenStreetMap"));
    // Long routes are drawn in pieces of 2000; every point is on the map and no piece is left
    // open.
    for (int count : {1, 2000, 2001, 4500}) {
        auto points = std::make_shared<std::vector<RVPoint>>();
        for (int i = 0; i < count; ++i) {
            const QByteArray latitude = QByteArray::number(52.0 + i * 1e-5, 'f', 6);
            const QByteArray longitude = QByteArray::number(13.0 + i * 1e-5, 'f', 6);
            points->push_back(point(latitude.constData(), longitude.constData()));
        }
        RVMapBridge bridge(&view);
        bridge.setTrack(points, nullptr);
        bridge.drawRoute();
        EXPECT_TRUE(waitFor(view, QStringLiteral("korvelaMapState().routes === 1 && "
                                                 "korvelaMapState().routePoints === %1 && "
                                                 "korvelaMapState().drawnPoints === %1")
                                      .arg(count)))
            << count;
    }
}

TEST(MapPage, GooglePageWithoutKeyShowsTheLeafletMapAndSaysSo)
{
    RVMapView view;
    ASSERT_TRUE(openPage(view, "Google"));
    EXPECT_EQ(evaluate(view, "korvelaMapState().provider").toString(), "leaflet");
    EXPECT_FALSE(
        evaluate(view, "document.getElementById('note').textContent").toString().isEmpty());
    // Providers without a page load nothing, whatever the name.
    EXPECT_TRUE(RVMapView::pageResourceFor("Bing").isEmpty());
    EXPECT_TRUE(RVMapView::pageResourceFor("../maps/Google").isEmpty());
    EXPECT_TRUE(RVMapView::pageResourceFor("").isEmpty());
}
