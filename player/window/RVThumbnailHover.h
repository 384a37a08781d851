#pragma once

#include <QImage>
#include <QObject>

#include <memory>

class QWidget;
class RVThumbnailPopover;
class RVThumbnailsProvider;
class RVTimeSlider2;
class RVTripPlayback;

// The hover thumbnails: while the pointer moves over the time slider's time axis, a popover
// above the axis shows the frame of the playing trip under the pointer. The frames are made
// on the provider's worker thread.
class RVThumbnailHover final : public QObject
{
    Q_OBJECT

public:
    // The popover is a child of `window`.
    RVThumbnailHover(RVTripPlayback& playback, RVTimeSlider2& timeLine, QWidget* window,
                     QObject* parent = nullptr);
    // Stops the worker before anything it calls back into goes.
    ~RVThumbnailHover() override;

    // The pointer is over the time axis at `fraction` of the trip.
    void showAtProgress(double fraction);
    // The pointer entered the time axis (the popover opens with the next thumbnail) or left it.
    void setPointerInside(bool inside);

    RVThumbnailPopover* popover() const { return m_popover; }

private:
    void thumbnailReady(const QImage& image);

    RVTripPlayback& m_playback;
    RVTimeSlider2& m_timeLine;
    RVThumbnailPopover* m_popover = nullptr; // owned by the window; touched on this thread only
    bool m_pointerInside = false;
    std::unique_ptr<RVThumbnailsProvider> m_provider;
};
