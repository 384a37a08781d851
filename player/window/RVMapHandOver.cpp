#include "player/window/RVMapHandOver.h"

#include "library/RVVideoList.h"
#include "player/map/RVMapBridge.h"
#include "player/map/RVMapScriptObject.h"
#include "player/map/RVMapView.h"
#include "timeline/RVTimeSlider2.h"

#include <QLabel>

RVMapHandOver::RVMapHandOver(RVMapView& view, RVVideoList& videoList, RVTimeSlider2& timeLine,
                             QLabel& velocity, QLabel& altitude, const QString& measurementSystem,
                             QObject* parent)
    : QObject(parent), m_view(view), m_videoList(videoList), m_timeLine(timeLine),
      m_bridge(new RVMapBridge(&view, this))
{
    m_bridge->setMeasurementSystem(measurementSystem);
    connect(&m_view, &RVMapView::pageReady, this, &RVMapHandOver::drawRoute);
    connect(m_view.scriptObject(), &RVMapScriptObject::routeClicked, m_bridge,
            &RVMapBridge::routeClickedOnLatitude);
    connect(m_view.scriptObject(), &RVMapScriptObject::mapKeyPressed, m_bridge,
            &RVMapBridge::onMapKeyPressed);
    connect(m_bridge, &RVMapBridge::altitudeTextChanged, &altitude, &QLabel::setText);
    connect(m_bridge, &RVMapBridge::velocityTextChanged, &velocity, &QLabel::setText);
}

void RVMapHandOver::setMapsProvider(const QString& provider)
{
    // Stores the choice and loads the page; its pageReady redraws the route on it.
    m_view.setMapsProvider(provider);
}

void RVMapHandOver::drawRoute()
{
    m_bridge->setTrack(m_videoList.points(), m_videoList.velocityData());
    if (!m_suspended)
        m_bridge->drawRoute();
}

void RVMapHandOver::setSuspended(bool suspended)
{
    if (suspended == m_suspended)
        return;
    m_suspended = suspended;
    if (!suspended) {
        m_bridge->forgetFittedTrack();
        drawRoute();
    }
}

void RVMapHandOver::showPosition()
{
    m_bridge->updateCurrentPositionOnMap(m_timeLine.progress());
}

void RVMapHandOver::clear()
{
    m_bridge->setTrack(nullptr, nullptr);
    if (!m_suspended)
        m_bridge->removeRouteFromTheMap();
    m_bridge->updateCurrentPositionOnMap(-1.0); // empties the read-outs
}

void RVMapHandOver::setEvents(std::vector<RVMapEvent> events)
{
    m_bridge->setEvents(std::move(events));
}

void RVMapHandOver::setMeasurementSystem(const QString& system)
{
    m_bridge->setMeasurementSystem(system);
}
