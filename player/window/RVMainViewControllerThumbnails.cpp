// The player window's hover thumbnails: while the pointer moves over the time slider's time
// axis, a popover above the axis shows the frame of the playing trip under the pointer.
#include "library/RVVideoList.h"
#include "player/files/RVThumbnailPopover.h"
#include "player/files/RVThumbnailsProvider.h"
#include "player/video/RVTripPlayback.h"
#include "player/window/RVMainViewController.h"
#include "timeline/RVTimeSlider2.h"

#include <QLabel>
#include <QMetaObject>
#include <QtGlobal>

#include <cmath>

void RVMainViewController::setUpThumbnails()
{
    m_popover = new RVThumbnailPopover(m_window);
    // The read-outs stay readable while the pointer is over the slider's right end.
    m_popover->setKeepClear(m_velocity->parentWidget());
    m_thumbnailsProvider = std::make_unique<RVThumbnailsProvider>();
    // Called on the provider's worker thread. The provider goes first when the controller is
    // destroyed, so `this` outlives every call; Qt drops the queued call if it never ran.
    m_thumbnailsProvider->setCompletionHandler([this](const QImage& image) {
        QMetaObject::invokeMethod(
            this, [this, image] { thumbnailReady(image); }, Qt::QueuedConnection);
    });
}

void RVMainViewController::thumbnailReady(const QImage& image)
{
    m_popover->setThumbnail(image);
    // The popover appears with the first thumbnail after the pointer entered the time axis,
    // and stays closed when the pointer has left meanwhile.
    if (m_popoverActive)
        m_popover->showRelativeToRect(m_popover->positioningRect(), m_timeLine);
}

void RVMainViewController::showThumbnailAtProgress(double fraction)
{
    if (!m_playback->node() || !m_thumbnailsProvider || !std::isfinite(fraction))
        return;
    const double tripSeconds = m_playback->duration() * fraction;
    const RVTripTimeline& timeline = m_playback->timeline();
    const std::optional<RVTripTimeline::Place> place = timeline.locate(tripSeconds);
    if (!place)
        return;
    // A 1 x 1 rectangle on the time axis, 5 points below the slider's top edge, 10 points
    // right of the slider's left edge at the start and at its right edge at the end.
    const double x = (m_timeLine->width() - 10) * fraction + 10;
    const QRect rect(qRound(x), 4, 1, 1);
    m_popover->setPositioningRect(rect);
    // From the camera the video area shows as its main view.
    m_thumbnailsProvider->buildThumbnailForFile(
        m_playback->shownViewPath(timeline.path(place->index)), place->fileSeconds);
}

void RVMainViewController::showPopover()
{
    m_popoverActive = true;
}

void RVMainViewController::hidePopover()
{
    m_popoverActive = false;
    if (m_popover)
        m_popover->close();
}
