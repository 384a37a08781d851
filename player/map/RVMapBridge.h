#pragma once

#include "metadata/RVPoint.h"
#include "player/map/RVRouteSimplifier.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class RVMapScriptRunner;

// An event marked on the map: where it happened (degrees) and what it was.
struct RVMapEvent final
{
    double latitude = 0;
    double longitude = 0;
    QString title;
};

// Drives the map page from the playing node's track: draws the route as polylines split at
// points without a position, moves the car marker with the playback position, produces the
// speed and altitude read-outs, and turns a click on the route into a seek. It only writes
// script texts; the page (see resources/maps/korvela-map.js) draws them.
class RVMapBridge final : public QObject
{
    Q_OBJECT

public:
    explicit RVMapBridge(RVMapScriptRunner* runner, QObject* parent = nullptr);
    // Writes the latest map centre to the settings store.
    ~RVMapBridge() override;

    // The playing node's track and its speeds (km/h, one per point). Null means none.
    void setTrack(std::shared_ptr<const std::vector<RVPoint>> points,
                  std::shared_ptr<const std::vector<double>> velocityData);
    void setMeasurementSystem(const QString& measurementSystem);
    // The events of the track, drawn with its route (those without a place are left out).
    void setEvents(std::vector<RVMapEvent> events) { m_events = std::move(events); }

    // Draws the track's route (thinned for the map) and, for a track not drawn before, fits
    // the view to it.
    void drawRoute();
    void removeRouteFromTheMap();
    // The next drawRoute() fits the view to the track again, as for a track not drawn before
    // (the map showed something else meanwhile).
    void forgetFittedTrack() { m_fittedTrack.reset(); }
    // The index of the first point from index on whose latitude is away from 0 (> 0.0001).
    std::optional<std::size_t> findFirstNotZeroPointFromIndex(std::int32_t index) const;
    // progress: fraction 0..1 of the playing node; negative while another row is selected.
    // drawRoute() ends by showing the latest position given here.
    void updateCurrentPositionOnMap(double progress);

    // The fix at this progress of the playing node with its speed (km/h, from the speed series;
    // -1 when unknown); nothing where the track has no position there.
    std::optional<RVPoint> pointAt(double progress) const;

    // The latest position with a fix is the map centre for tracks without any. Writing the
    // settings file costs tens of milliseconds (it is rewritten and synced), too much for
    // every tick: the centre is written at most every few seconds while it changes, here, and
    // when the bridge goes.
    void saveMapCenter();

    // Calls from the page.
    void routeClickedOnLatitude(double latitude, double longitude);
    void onMapKeyPressed(const QString& name);

Q_SIGNALS:
    void altitudeTextChanged(const QString& text);
    void velocityTextChanged(const QString& text);
    // A seek to this fraction of the playing node.
    void graphClicked(double fraction);
    void playPauseRequested();
    void fullScreenToggleRequested();

private:
    const std::vector<RVPoint>& points() const;
    void drawEvents();

    RVMapScriptRunner* m_runner;
    std::shared_ptr<const std::vector<RVPoint>> m_points;
    std::shared_ptr<const std::vector<double>> m_velocityData;
    QString m_measurementSystem;
    std::vector<RVMapEvent> m_events;
    double m_toleranceMetres = RVRouteSimplifier::kDefaultToleranceMetres;
    // The track last fitted into the map's view; weak so an old day's track is not kept.
    std::weak_ptr<const std::vector<RVPoint>> m_fittedTrack;
    double m_progress = -1; // the latest playback position given, for redraws
    std::optional<std::pair<double, double>> m_unsavedCenter; // latitude, longitude (degrees)
    QElapsedTimer m_sinceCenterSaved;
    // The track's coordinates (degrees) as drawRoute last read them.
    std::vector<double> m_latitudes;
    std::vector<double> m_longitudes;
};
