#include "player/map/RVMapBridge.h"

#include "core/RVSettings.h"
#include "metadata/RVCoordinateValue.h"
#include "player/map/RVFixRuns.h"
#include "player/map/RVMapScriptRunner.h"
#include "player/map/RVRouteSimplifier.h"
#include "player/map/RVTwoHalves.h"
#include "timeline/RVUnits.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <limits>
#include <span>
#include <string>

namespace {

// Bounds are single-precision constants, as the track's fix tests have always used them.
constexpr double kFixBound = double(0.00001f);
constexpr double kCentreBound = 0.0001;
// British read-outs: feet from metres (mph from km/h is RVUnits').
constexpr double kFeetPerMetre = double(1.0f / 0.305f);

// Tracks of at least this many points are read on two threads.
constexpr std::size_t kParallelPoints = 100000;

// How often a changing map centre is written to the settings store.
constexpr qint64 kCenterSaveIntervalMs = 5000;

const std::vector<RVPoint>& emptyTrack()
{
    static const std::vector<RVPoint> empty;
    return empty;
}

void appendView(std::string& out, std::string_view text)
{
    out.append(text.data(), text.size());
}

// Whole part of a read-out value, kept inside the range a label can show.
int truncatedForLabel(double value)
{
    if (std::isnan(value))
        return 0;
    const double t = std::trunc(value);
    if (t >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (t <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(t);
}

} // namespace

RVMapBridge::RVMapBridge(RVMapScriptRunner* runner, QObject* parent)
    : QObject(parent), m_runner(runner)
{}

RVMapBridge::~RVMapBridge()
{
    saveMapCenter();
}

void RVMapBridge::saveMapCenter()
{
    if (!m_unsavedCenter)
        return;
    // One store object: the file is written once for both values.
    QSettings store = RVSettings::store();
    store.setValue(QLatin1String(RVSettings::kMapCenterLatitude), m_unsavedCenter->first);
    store.setValue(QLatin1String(RVSettings::kMapCenterLongitude), m_unsavedCenter->second);
    m_unsavedCenter.reset();
    m_sinceCenterSaved.start();
}

void RVMapBridge::setTrack(std::shared_ptr<const std::vector<RVPoint>> points,
                           std::shared_ptr<const std::vector<double>> velocityData)
{
    m_points = std::move(points);
    m_velocityData = std::move(velocityData);
}

void RVMapBridge::setMeasurementSystem(const QString& measurementSystem)
{
    m_measurementSystem = measurementSystem;
}

const std::vector<RVPoint>& RVMapBridge::points() const
{
    return m_points ? *m_points : emptyTrack();
}

void RVMapBridge::removeRouteFromTheMap()
{
    m_runner->runScript(QStringLiteral("clearRoutes();"));
}

std::optional<std::size_t> RVMapBridge::findFirstNotZeroPointFromIndex(std::int32_t index) const
{
    const auto& track = points();
    for (std::size_t i = index < 0 ? 0 : std::size_t(index); i < track.size(); ++i) {
        if (std::fabs(track[i].latitudeValue()) > kCentreBound)
            return i;
    }
    return std::nullopt;
}

void RVMapBridge::drawRoute()
{
    removeRouteFromTheMap();
    const auto& track = points();
    const auto first = findFirstNotZeroPointFromIndex(0);
    if (!first) {
        // No position anywhere in the trip: nothing of the trip shown before stays.
        Q_EMIT altitudeTextChanged(QString());
        Q_EMIT velocityTextChanged(QString());
        saveMapCenter();
        m_runner->runScript(QString::asprintf(
            "checkMapCenter([%f, %f]);", RVSettings::doubleValue(RVSettings::kMapCenterLatitude),
            RVSettings::doubleValue(RVSettings::kMapCenterLongitude)));
        return;
    }
    m_runner->runScript(QStringLiteral("checkMapCenter([%1, %2])")
                            .arg(track[*first].latitude(), track[*first].longitude()));

    // Every run of points whose latitude is not exactly 0 becomes one polyline, thinned to
    // what a map can show. A day's track is close to a million points (55 MB): both
    // coordinates are read in one walk, on two threads for a long track, and the call texts
    // are built as bytes.
    const std::size_t n = track.size();
    // Kept between draws: a day's coordinates are 14 MB, and new memory costs a page fault per
    // 4 KB (a quarter of the reading time). A much smaller track lets the memory go.
    std::vector<double>& latitudes = m_latitudes;
    std::vector<double>& longitudes = m_longitudes;
    if (latitudes.capacity() > 4 * n + 65536) {
        latitudes = std::vector<double>();
        longitudes = std::vector<double>();
    }
    latitudes.resize(n);
    longitudes.resize(n);
    const auto read = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            latitudes[i] = RVCoordinateValue::value(track[i].latitudeText());
            longitudes[i] = RVCoordinateValue::value(track[i].longitudeText());
        }
    };
    runInTwoHalves(n, kParallelPoints, read);

    const auto drawRun = [&](std::size_t begin, std::size_t end) {
        const std::vector<std::size_t> kept = RVRouteSimplifier::simplify(
            std::span<const double>(latitudes).subspan(begin, end - begin),
            std::span<const double>(longitudes).subspan(begin, end - begin), m_toleranceMetres);
        std::string call;
        call.reserve(16 + kept.size() * 26);
        call = "drawRoute([";
        for (std::size_t k : kept) {
            const RVPoint& point = track[begin + k];
            call += '[';
            appendView(call, point.latitudeText());
            call += ", ";
            appendView(call, point.longitudeText());
            call += "],";
        }
        call += "]);";
        // The texts are ASCII: Latin-1 is their quickest way into a QString.
        m_runner->runScript(QString::fromLatin1(call.data(), qsizetype(call.size())));
    };
    forEachFixRun(latitudes, n, drawRun);
    drawEvents();

    // A newly chosen trip is shown whole; a redraw of the same one (a page loaded again, with
    // the view the user had) keeps the view.
    const bool sameTrack = !m_fittedTrack.expired() && !m_fittedTrack.owner_before(m_points) &&
                           !m_points.owner_before(m_fittedTrack);
    if (!sameTrack && m_runner->isReady()) {
        m_runner->runScript(QStringLiteral("fitRoutes();"));
        m_fittedTrack = m_points;
    }
    updateCurrentPositionOnMap(m_progress);
}

void RVMapBridge::drawEvents()
{
    // As JSON, so that a title is always a string to the page, whatever it holds.
    QJsonArray marks;
    for (const RVMapEvent& event : m_events) {
        if (std::isfinite(event.latitude) && std::isfinite(event.longitude) &&
            std::fabs(event.latitude) > kCentreBound)
            marks.append(QJsonArray{event.latitude, event.longitude, event.title});
    }
    if (marks.isEmpty())
        return;
    m_runner->runScript(
        QStringLiteral("drawEvents(%1);")
            .arg(QString::fromUtf8(QJsonDocument(marks).toJson(QJsonDocument::Compact))));
}

void RVMapBridge::updateCurrentPositionOnMap(double progress)
{
    m_progress = progress;
    const auto& track = points();
    const double n = double(track.size());
    const double scaled = std::floor(n * progress);
    // Read-outs of one position only: what is not known there is not shown, and neither is
    // anything of a trip shown before.
    const auto clearReadOuts = [this] {
        Q_EMIT altitudeTextChanged(QString());
        Q_EMIT velocityTextChanged(QString());
    };
    if (!(scaled >= 0) || !(n > 0)) {
        clearReadOuts(); // no point at this position (also a negative or NaN progress)
        return;
    }
    // The trip's very end (progress 1, a recording paused on its last frame) is its last point.
    const auto i = std::size_t(std::min(scaled, n - 1));

    const RVPoint& p = track[i];
    std::optional<std::size_t> shown;
    int substitute = 0;
    if (std::fabs(p.latitudeValue()) > kFixBound || std::fabs(p.longitudeValue()) > kFixBound) {
        m_unsavedCenter = {p.latitudeValue(), p.longitudeValue()};
        if (!m_sinceCenterSaved.isValid() || m_sinceCenterSaved.elapsed() >= kCenterSaveIntervalMs)
            saveMapCenter();
        shown = i;
    } else {
        substitute = 1;
        shown = findFirstNotZeroPointFromIndex(std::int32_t(std::min<std::size_t>(i, INT32_MAX)));
        const auto hasPosition = [&](std::size_t k) {
            return std::fabs(track[k].latitudeValue()) > kFixBound ||
                   std::fabs(track[k].longitudeValue()) > kFixBound;
        };
        if (!shown || !hasPosition(*shown))
            shown = findFirstNotZeroPointFromIndex(0);
    }
    // A track without any position has nothing to show; sending empty coordinates would
    // only produce a script error in the page.
    if (!shown) {
        clearReadOuts();
        return;
    }
    const RVPoint& q = track[*shown];
    m_runner->runScript(QStringLiteral("moveCurrentPositionTo([%1, %2], %3, %4)")
                            .arg(q.latitude(), q.longitude(), QString::asprintf("%f", q.azimut()),
                                 QString::number(substitute)));

    const bool british = RVSettings::isBritish(m_measurementSystem);
    if (!std::isnan(q.altitude())) {
        const double factor = british ? kFeetPerMetre : 1.0;
        const QString unit =
            british ? qtTrId("LABEL_ALTITUDE_FOOT") : qtTrId("LABEL_ALTITUDE_METER");
        Q_EMIT altitudeTextChanged(QStringLiteral("%1: %2 %3")
                                       .arg(qtTrId("LABEL_ALTITUDE_TITLE"))
                                       .arg(truncatedForLabel(q.altitude() * factor))
                                       .arg(unit));
    } else {
        Q_EMIT altitudeTextChanged(QString());
    }
    if (m_velocityData && i < m_velocityData->size()) {
        const double v = (*m_velocityData)[i];
        const double shownSpeed =
            british ? v * RVUnits::speedFactor(RVMeasurementSystem::British) : v;
        const QString unit = british ? qtTrId("MILES_PER_HOUR") : qtTrId("KM_PER_HOUR");
        Q_EMIT velocityTextChanged(
            QStringLiteral("%1 %2").arg(truncatedForLabel(shownSpeed)).arg(unit));
    } else {
        Q_EMIT velocityTextChanged(QString());
    }
}

std::optional<RVPoint> RVMapBridge::pointAt(double progress) const
{
    // The same point the car marker stands on, but only a real fix: a picture's position is
    // never a substitute.
    const auto& track = points();
    const double n = double(track.size());
    const double scaled = std::floor(n * progress);
    if (!(scaled >= 0) || !(n > 0))
        return std::nullopt;
    const auto i = std::size_t(std::min(scaled, n - 1));
    RVPoint point = track[i];
    if (std::fabs(point.latitudeValue()) <= kFixBound &&
        std::fabs(point.longitudeValue()) <= kFixBound)
        return std::nullopt;
    point.setVelocity(m_velocityData && i < m_velocityData->size() ? (*m_velocityData)[i] : -1.0);
    return point;
}

void RVMapBridge::routeClickedOnLatitude(double latitude, double longitude)
{
    const auto& track = points();
    if (track.empty())
        return; // nothing to seek to; a fraction of 0/0 would be meaningless
    double best = 1e20;
    std::size_t chosen = track.size();
    for (std::size_t k = 0; k < track.size(); ++k) {
        const double dLat = track[k].latitudeValue() - latitude;
        const double dLon = track[k].longitudeValue() - longitude;
        const double d = dLat * dLat + dLon * dLon;
        if (d < best) {
            best = d;
            chosen = k;
        }
    }
    Q_EMIT graphClicked(double(chosen) / double(track.size()));
}

void RVMapBridge::onMapKeyPressed(const QString& name)
{
    if (name == QLatin1String("spacebar"))
        Q_EMIT playPauseRequested();
    else if (name == QLatin1String("alt enter"))
        Q_EMIT fullScreenToggleRequested();
}
