// The map page: the route of the playing node, the car's position on each tick, the speed and
// altitude read-outs, and the page's two calls back (a click on the route seeks there, keys
// pressed while the map has the focus act as in the video area).
//
// The page loads in the background; the web view runs the script calls in the order given,
// and calls made before the page's map exists are replayed by the page once it does.

#include "player/window/RVMainViewController.h"

#include "core/RVSettings.h"
#include "library/RVVideoList.h"
#include "player/map/RVMapBridge.h"
#include "player/map/RVMapScriptObject.h"
#include "player/map/RVMapView.h"
#include "player/video/RVMpvPlayer.h"
#include "player/video/RVTripPlayback.h"
#include "timeline/RVTimeSlider2.h"

#include <QDateTime>
#include <QLabel>

void RVMainViewController::connectMap()
{
    m_mapBridge = new RVMapBridge(m_mapWebView, this);
    m_mapBridge->setMeasurementSystem(m_measurementSystem);
    connect(m_mapWebView, &RVMapView::pageReady, this, &RVMainViewController::drawRoute);
    connect(m_mapWebView->scriptObject(), &RVMapScriptObject::routeClicked, this,
            &RVMainViewController::routeClickedOnLatitude);
    connect(m_mapWebView->scriptObject(), &RVMapScriptObject::mapKeyPressed, this,
            &RVMainViewController::onMapKeyPressed);
    connect(m_mapBridge, &RVMapBridge::altitudeTextChanged, m_altitudeLabel, &QLabel::setText);
    connect(m_mapBridge, &RVMapBridge::velocityTextChanged, m_velocity, &QLabel::setText);
    connect(m_mapBridge, &RVMapBridge::graphClicked, this, &RVMainViewController::graphClicked);
    connect(m_mapBridge, &RVMapBridge::playPauseRequested, this,
            &RVMainViewController::playPauseToggle);
    connect(m_mapBridge, &RVMapBridge::fullScreenToggleRequested, this,
            [this] { fullScreenClick(false); });
    connect(m_playback.get(), &RVTripPlayback::ticked, this,
            [this](double tripSeconds, double) { updateClockLabel(tripSeconds); });
    setMapsProvider(RVMapView::mapsProvider());
}

void RVMainViewController::updateClockLabel(double tripSeconds)
{
    // The frame's wall-clock time: the playing file's start plus the time into it.
    QString text;
    const RVVideoFilePtr file = m_playback->currentFile();
    if (file && file->created().isValid()) {
        const double intoFile = tripSeconds - m_videoList->getCurrentFileTimeOffset();
        const qint64 ms = file->created().msecsSinceEpoch() + qint64(intoFile * 1000.0);
        text = QDateTime::fromMSecsSinceEpoch(ms).toLocalTime().toString(
            QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    const double rate = m_player->rate();
    if (rate != 0.0 && rate != 1.0)
        text += QStringLiteral("  %1\u00d7").arg(rate);
    m_clockLabel->setText(text.trimmed());
}

void RVMainViewController::setMapsProvider(const QString& provider)
{
    // Stores the choice and loads the page; its pageReady redraws the route on it.
    m_mapWebView->setMapsProvider(provider);
}

void RVMainViewController::drawRoute()
{
    m_mapBridge->setTrack(m_videoList->points(), m_videoList->velocityData());
    m_mapBridge->drawRoute();
}

void RVMainViewController::updateCurrentPositionOnMap()
{
    m_mapBridge->updateCurrentPositionOnMap(m_timeLine->progress());
}

void RVMainViewController::routeClickedOnLatitude(double latitude, double longitude)
{
    m_mapBridge->routeClickedOnLatitude(latitude, longitude);
}

void RVMainViewController::onMapKeyPressed(const QString& name)
{
    m_mapBridge->onMapKeyPressed(name);
}
