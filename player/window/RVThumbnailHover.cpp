#include "player/window/RVThumbnailHover.h"

#include "player/files/RVThumbnailPopover.h"
#include "player/files/RVThumbnailsProvider.h"
#include "player/video/RVTripPlayback.h"
#include "timeline/RVTimeSlider2.h"

#include <QMetaObject>
#include <QtGlobal>

#include <cmath>

RVThumbnailHover::RVThumbnailHover(RVTripPlayback& playback, RVTimeSlider2& timeLine,
                                   QWidget* window, QObject* parent)
    : QObject(parent), m_playback(playback), m_timeLine(timeLine),
      m_popover(new RVThumbnailPopover(window)),
      m_provider(std::make_unique<RVThumbnailsProvider>())
{
    // Called on the provider's worker thread. The provider goes first when this is destroyed,
    // so `this` outlives every call; Qt drops the queued call if it never ran.
    m_provider->setCompletionHandler([this](const QImage& image) {
        QMetaObject::invokeMethod(
            this, [this, image] { thumbnailReady(image); }, Qt::QueuedConnection);
    });
}

RVThumbnailHover::~RVThumbnailHover()
{
    m_provider.reset();
}

void RVThumbnailHover::thumbnailReady(const QImage& image)
{
    m_popover->setThumbnail(image);
    // The popover appears with the first thumbnail after the pointer entered the time axis,
    // and stays closed when the pointer has left meanwhile.
    if (m_pointerInside)
        m_popover->showRelativeToRect(m_popover->positioningRect(), &m_timeLine);
}

void RVThumbnailHover::showAtProgress(double fraction)
{
    if (!m_playback.node() || !std::isfinite(fraction))
        return;
    const double tripSeconds = m_playback.duration() * fraction;
    const RVTripTimeline& timeline = m_playback.timeline();
    const std::optional<RVTripTimeline::Place> place = timeline.locate(tripSeconds);
    if (!place)
        return;
    // A 1 x 1 rectangle on the time axis, 5 points below the slider's top edge, 10 points
    // right of the slider's left edge at the start and at its right edge at the end.
    const double x = (m_timeLine.width() - 10) * fraction + 10;
    const QRect rect(qRound(x), 4, 1, 1);
    m_popover->setPositioningRect(rect);
    // From the camera the video area shows as its main view.
    m_provider->buildThumbnailForFile(m_playback.shownViewPath(timeline.path(place->index)),
                                      place->fileSeconds);
}

void RVThumbnailHover::setPointerInside(bool inside)
{
    m_pointerInside = inside;
    if (!inside && m_popover)
        m_popover->close();
}
