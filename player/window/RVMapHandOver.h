#pragma once

#include "player/map/RVMapBridge.h"

#include <QObject>
#include <QString>

#include <vector>

class QLabel;
class RVMapView;
class RVTimeSlider2;
class RVVideoList;

// The window's hand-over to the map page: the route of the list's track, the car's position
// at the slider's progress, the speed and altitude read-outs, and the stored map provider.
// The page's calls back (a click on the route, keys pressed while the map has the focus) come
// out of bridge() for the window to act on.
//
// The page loads in the background; the web view runs the script calls in the order given,
// and calls made before the page's map exists are replayed by the page once it does.
class RVMapHandOver final : public QObject
{
    Q_OBJECT

public:
    RVMapHandOver(RVMapView& view, RVVideoList& videoList, RVTimeSlider2& timeLine,
                  QLabel& velocity, QLabel& altitude, const QString& measurementSystem,
                  QObject* parent = nullptr);

    // Stores the map provider ("MapsProvider") and loads its map page; the route is drawn
    // again once the page is ready.
    void setMapsProvider(const QString& provider);
    // The list's track (points and speeds) as the route.
    void drawRoute();
    // The car and the read-outs at the slider's progress.
    void showPosition();
    // No track: route, car and read-outs go.
    void clear();
    // The shown trip's events, drawn with its route from the next drawRoute() on.
    void setEvents(std::vector<RVMapEvent> events);
    void setMeasurementSystem(const QString& system);
    // While the map shows something else (the whole card), the route is neither drawn nor
    // cleared; the track is still taken, and the car still follows the playback. Resumed,
    // the route is drawn again and shown whole.
    void setSuspended(bool suspended);

    RVMapBridge* bridge() const { return m_bridge; }
    RVMapView* view() const { return &m_view; }

private:
    RVMapView& m_view;
    RVVideoList& m_videoList;
    RVTimeSlider2& m_timeLine;
    RVMapBridge* m_bridge = nullptr;
    bool m_suspended = false;
};
