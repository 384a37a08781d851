// Map page figures in a real web view (run under xvfb-run or on a desktop), with a day's
// route drawn: 24 hours of a 10 Hz track is 864,000 points (and 86,400 at 1 Hz).
//  - BM_DrawRoute: from the route's script calls (the route thinned for the map, then fitted
//    into the view) until the page has drawn the next frame with it.
//  - BM_ZoomStep: one zoom step in or out (as the zoom buttons make it, without animation)
//    with the whole route in view, until the page has drawn the next frame.
//  - BM_MovePosition: one position update (the moveCurrentPositionTo call the playback tick
//    makes every 1/10 s) until the page has run it. Sequential moves one point per call, as
//    playback at 10 Hz does; Jump goes to a random point each time, as a seek does, so the
//    map pans on nearly every call.
//  - BM_MovePositionAndFrame: a jump, until the page has also drawn the next frame (the
//    route's redraw after the pan).
//  - BM_CardPrepare: one day's route of the whole card made ready for the page (read, thinned,
//    written as its call), as the card map does it off the GUI thread for every trip.
//  - BM_CardDraw: the whole card, 20 such days of 864,000 points at once, from the prepared
//    calls (and the fit into the view) until the page has drawn the next frame.
//  - BM_CardZoomStep: one zoom step in or out with the whole card in view, until the page has
//    drawn the next frame.
//  - BM_WindowStart: building the player window (with its map view) until it is on screen;
//    the map page loads after that, in the background ("pageReadyMs": until its route can be
//    drawn).
// The playback tick needs each update to cost well below 100 ms.
#include "library/RVVideoList.h"
#include "library/RVVolumeMonitor.h"
#include "player/map/RVCardBridge.h"
#include "player/map/RVCardRoutes.h"
#include "player/map/RVMapBridge.h"
#include "player/map/RVMapView.h"
#include "player/window/RVMainViewController.h"
#include "player/window/RVMapHandOver.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMainWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWindow>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <vector>

namespace {

// A day's route makes single calls slow: generous limits, and no pause between tries so the
// waits measure the page, not the polling.
QVariant evaluate(RVMapView& view, const QString& script, int timeoutMs = 120000)
{
    // Shared, so that an answer arriving after the time-out writes into live memory.
    auto result = std::make_shared<std::optional<QVariant>>();
    view.page()->runJavaScript(script, [result](const QVariant& value) { *result = value; });
    QElapsedTimer clock;
    clock.start();
    while (!result->has_value() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return result->value_or(QVariant());
}

bool waitFor(RVMapView& view, const QString& script, int timeoutMs = 120000)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (evaluate(view, script, timeoutMs).toBool())
            return true;
    }
    return false;
}

// A winding drive near 52 N 13 E (a day later, a few kilometres farther on) at about 50 km/h,
// one point per tenth of a second.
std::shared_ptr<const std::vector<RVPoint>> makeTrack(int count, int day = 0)
{
    auto points = std::make_shared<std::vector<RVPoint>>();
    points->reserve(std::size_t(count));
    double latitude = 52.0 + 0.03 * (day % 5);
    double longitude = 13.0 + 0.05 * (day / 5);
    double heading = 0;
    constexpr double metresPerStep = 1.4;
    constexpr double metresPerDegree = 111320.0;
    for (int i = 0; i < count; ++i) {
        heading += 0.02 * std::sin(i / 900.0) + 0.004;
        latitude += metresPerStep * std::cos(heading) / metresPerDegree;
        longitude +=
            metresPerStep * std::sin(heading) / (metresPerDegree * std::cos(latitude * M_PI / 180));
        char lat[32];
        char lon[32];
        std::snprintf(lat, sizeof lat, "%.6f", latitude);
        std::snprintf(lon, sizeof lon, "%.6f", longitude);
        points->emplace_back(lat, lon, 40.0, std::fmod(heading * 180 / M_PI, 360.0), 50.0,
                             RVTimestamp());
    }
    return points;
}

// One page for every benchmark; the route is redrawn when a benchmark asks for another size.
struct MapPage
{
    RVMapView view;
    RVMapBridge bridge{&view};
    int routePoints = -1;
    int drawnPoints = 0; // of routePoints, the ones the thinned line keeps
    double bridgeMs = 0; // of the time to draw, making the script calls

    MapPage()
    {
        view.resize(640, 480);
        view.show();
        QSignalSpy ready(&view, &RVMapView::pageReady);
        view.setMapsProvider(QStringLiteral("OpenStreetMap"));
        if (!ready.wait(60000) || !waitFor(view, "korvelaMapState().ready === true"))
            std::fprintf(stderr, "the map page did not load\n");
    }

    // Until the page has run every call given so far and drawn the frame after them.
    void nextFrame()
    {
        evaluate(view, "window.korvelaFrame = false; requestAnimationFrame(function () {"
                       " setTimeout(function () { window.korvelaFrame = true; }, 0); })");
        waitFor(view, "window.korvelaFrame === true", 10000);
    }

    // Draws a route of `count` points; the milliseconds until the page has shown it.
    double drawRoute(int count)
    {
        bridge.setTrack(makeTrack(count), nullptr);
        QElapsedTimer timer;
        timer.start();
        bridge.drawRoute();
        bridgeMs = double(timer.nsecsElapsed()) / 1e6;
        nextFrame();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (!evaluate(view, "korvelaMapState().routes === 1").toBool())
            std::fprintf(stderr, "the route was not drawn\n");
        routePoints = count;
        drawnPoints = evaluate(view, "korvelaMapState().routePoints").toInt();
        return ms;
    }

    void ensureRoute(int count)
    {
        if (routePoints != count)
            drawRoute(count);
    }

    // The position call at this point, until the page has run it (scripts run in order, so
    // the answer to the empty script after it comes once it is done).
    void moveTo(int index, int count)
    {
        bridge.updateCurrentPositionOnMap((index + 0.5) / count);
        evaluate(view, QStringLiteral("0"));
    }
};

// Made on first use, and gone before the application (a web page must not outlive it).
std::unique_ptr<MapPage> thePage;

MapPage& page()
{
    if (!thePage)
        thePage = std::make_unique<MapPage>();
    return *thePage;
}

void BM_DrawRoute(benchmark::State& state)
{
    const int count = int(state.range(0));
    for (auto _ : state) {
        page().routePoints = -1;
        state.SetIterationTime(page().drawRoute(count) / 1e3);
    }
    state.counters["points"] = count;
    state.counters["drawnPoints"] = page().drawnPoints;
    state.counters["bridgeMs"] = page().bridgeMs;
    state.counters["drawnVertices"] =
        evaluate(page().view, "korvelaMapState().drawnVertices").toDouble();
}

void BM_ZoomStep(benchmark::State& state)
{
    const int count = int(state.range(0));
    page().routePoints = -1;
    page().ensureRoute(count); // fitted: the whole route is in view
    int step = 1;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        evaluate(page().view, QStringLiteral("korvelaZoomBy(%1)").arg(step));
        page().nextFrame();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        step = -step;
    }
    state.counters["drawnVertices"] =
        evaluate(page().view, "korvelaMapState().drawnVertices").toDouble();
}

void BM_MovePositionSequential(benchmark::State& state)
{
    const int count = int(state.range(0));
    page().ensureRoute(count);
    int index = count / 3;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        page().moveTo(index++, count);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
}

void BM_MovePositionJump(benchmark::State& state)
{
    const int count = int(state.range(0));
    page().ensureRoute(count);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> anywhere(0, count - 1);
    for (auto _ : state) {
        const int index = anywhere(random);
        QElapsedTimer timer;
        timer.start();
        page().moveTo(index, count);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
}

void BM_MovePositionAndFrame(benchmark::State& state)
{
    const int count = int(state.range(0));
    page().ensureRoute(count);
    std::mt19937 random(11);
    std::uniform_int_distribution<int> anywhere(0, count - 1);
    for (auto _ : state) {
        const int index = anywhere(random);
        QElapsedTimer timer;
        timer.start();
        page().moveTo(index, count);
        // Done after the next animation frame, in which the page redraws the route.
        page().nextFrame();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
}

void BM_WindowStart(benchmark::State& state)
{
    double pageReadyMs = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto controller = std::make_unique<RVMainViewController>();
        controller->loadView(std::make_shared<RVVideoList>(
            std::make_unique<RVStaticVolumeMonitor>(),
            [](const QString&) { return std::optional<RVMetaData>(); }));
        controller->window()->show();
        while (!controller->window()->windowHandle() ||
               !controller->window()->windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        QSignalSpy ready(controller->map()->view(), &RVMapView::pageReady);
        ready.wait(60000);
        // pageReady comes a second after the page has loaded.
        pageReadyMs += double(timer.nsecsElapsed()) / 1e6 - 1000.0;
    }
    state.counters["pageReadyMs"] = pageReadyMs / double(state.iterations());
}

constexpr int kDayAt1Hz = 86400;
constexpr int kDayAt10Hz = 864000;
constexpr int kCardDays = 20;

// The whole card's routes as the page gets them, made once (a day's points are dropped as
// soon as its call is written: 20 days of points would take over a gigabyte).
struct CardRoutes
{
    std::vector<RVCardRouteScript> scripts;
    double prepareMs = 0; // per day
    std::size_t points = 0;
};

const CardRoutes& cardRoutes()
{
    static const CardRoutes routes = [] {
        CardRoutes made;
        double total = 0;
        for (int day = 0; day < kCardDays; ++day) {
            const auto track = makeTrack(kDayAt10Hz, day);
            QElapsedTimer timer;
            timer.start();
            made.scripts.push_back(RVCardRoutes::routeScript(
                day, RVCardRoutes::colour(std::size_t(day)).toStdString(), *track));
            total += double(timer.nsecsElapsed()) / 1e6;
            made.points += made.scripts.back().points;
        }
        made.prepareMs = total / kCardDays;
        return made;
    }();
    return routes;
}

void BM_CardPrepare(benchmark::State& state)
{
    const auto track = makeTrack(kDayAt10Hz, 3);
    std::size_t kept = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const RVCardRouteScript script =
            RVCardRoutes::routeScript(3, "#1d4ed8", *track, RVCardRoutes::kToleranceMetres);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        kept = script.points;
    }
    state.counters["points"] = kDayAt10Hz;
    state.counters["keptPoints"] = double(kept);
}

// Draws the whole card; the milliseconds until the page has shown it.
double drawCard(RVCardBridge& card)
{
    const CardRoutes& routes = cardRoutes();
    // Clicks are not measured: the routes keep no track.
    const auto noTrack = std::make_shared<const std::vector<RVPoint>>();
    QElapsedTimer timer;
    timer.start();
    card.clear();
    for (int day = 0; day < kCardDays; ++day)
        card.addRoute(day, noTrack, routes.scripts[std::size_t(day)]);
    card.fitRoutes();
    page().nextFrame();
    return double(timer.nsecsElapsed()) / 1e6;
}

void BM_CardDraw(benchmark::State& state)
{
    cardRoutes(); // prepared before the clock runs
    RVCardBridge card(&page().view);
    page().routePoints = -1; // the single route goes with the card's first clear
    for (auto _ : state)
        state.SetIterationTime(drawCard(card) / 1e3);
    if (evaluate(page().view, "korvelaMapState().cardRoutes.length").toInt() != kCardDays)
        std::fprintf(stderr, "the card was not drawn\n");
    state.counters["days"] = kCardDays;
    state.counters["pointsPerDay"] = kDayAt10Hz;
    state.counters["pagePoints"] = double(cardRoutes().points);
    state.counters["prepareMsPerDay"] = cardRoutes().prepareMs;
    state.counters["drawnVertices"] =
        evaluate(page().view, "korvelaMapState().drawnVertices").toDouble();
}

void BM_CardZoomStep(benchmark::State& state)
{
    RVCardBridge card(&page().view);
    page().routePoints = -1;
    drawCard(card);
    int step = 1;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        evaluate(page().view, QStringLiteral("korvelaZoomBy(%1)").arg(step));
        page().nextFrame();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        step = -step;
    }
    state.counters["drawnVertices"] =
        evaluate(page().view, "korvelaMapState().drawnVertices").toDouble();
    card.clear();
}

} // namespace

BENCHMARK(BM_WindowStart)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawRoute)
    ->Arg(kDayAt1Hz)
    ->Arg(kDayAt10Hz)
    ->UseManualTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomStep)
    ->Arg(kDayAt1Hz)
    ->Arg(kDayAt10Hz)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovePositionSequential)
    ->Arg(0)
    ->Arg(kDayAt1Hz)
    ->Arg(kDayAt10Hz)
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovePositionJump)
    ->Arg(kDayAt1Hz)
    ->Arg(kDayAt10Hz)
    ->UseManualTime()
    ->Iterations(100)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovePositionAndFrame)
    ->Arg(kDayAt1Hz)
    ->Arg(kDayAt10Hz)
    ->UseManualTime()
    ->Iterations(60)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_CardPrepare)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CardDraw)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CardZoomStep)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "map_page_bench needs a display; run it under xvfb-run -a\n");
        return 1;
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    RVMapView::registerTileScheme();
    QApplication app(argc, argv);
    // The map centre and provider the benchmarks store go to a folder of their own.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    thePage.reset();
    return 0;
}
