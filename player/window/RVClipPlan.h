#pragma once

#include "clip/RVClipRequest.h"
#include "library/RVTripTimeline.h"
#include "library/RVVideoData.h"
#include "player/video/RVViewLayout.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// What a clip of the playing trip is made from, worked out from the trip as the window plays
// it: its recordings on the trip's time line (files whose length could not be read take no
// time there and cannot be in a clip), the layouts its views allow, the ranges offered without
// marks, and the series of the read-outs as the window shows them.
class RVClipPlan final
{
public:
    // One range the dialog offers, in trip seconds, with the files inside it that cannot be
    // read (they are left out of the clip).
    struct Range
    {
        QString label;
        double fromSeconds = 0;
        double toSeconds = 0;
        QStringList unreadable; // file names
    };

    RVClipPlan() = delete;

    // Every recording of `node` with a length, its views in channel order (front, rear,
    // interior, optional; an empty path for a view the recording lacks).
    static std::vector<RVClipSource> sources(const RVVideoData& node,
                                             const RVTripTimeline& timeline);
    // The names of the files of `node` between `fromSeconds` and `toSeconds` that cannot be
    // read: a recording without a known length, or a view file that cannot be opened.
    static QStringList unreadableIn(const RVVideoData& node, const RVTripTimeline& timeline,
                                    double fromSeconds, double toSeconds);
    // Without marks: the recording at `tripSeconds`, and 30 s before and after it (cut at the
    // trip's ends). Labels are left to the caller.
    static std::pair<double, double> recordingAround(const RVTripTimeline& timeline,
                                                     double tripSeconds);
    static std::pair<double, double> secondsAround(const RVTripTimeline& timeline,
                                                   double tripSeconds, double seconds = 30);
    // The event a clip is about: the one chosen in the events panel while the position is
    // within 30 s of it, else the one the position is on (from a little before it, where
    // its playback starts, to a few seconds after). Nothing when neither.
    static std::optional<RVEvent> eventAt(const std::vector<RVEvent>& events,
                                          const std::optional<RVEvent>& chosen, double tripSeconds);
    // The names of the recordings of `node` with time between `fromSeconds` and `toSeconds`,
    // in trip order: the files a clip of the range is cut from. 30 s around an event near a
    // recording's start or end reach into its neighbour, which the trip holds.
    static QStringList filesIn(const RVVideoData& node, const RVTripTimeline& timeline,
                               double fromSeconds, double toSeconds);

    // The layouts a clip of `node` can have: the front view alone always, the rear view alone,
    // picture in picture and side by side with a second view, the grid with more than two.
    static std::vector<RVClipLayout> layouts(const RVVideoData& node);
    // The window's arrangement as a clip layout, when `offered` holds it (else the first).
    static RVClipLayout layoutFor(const RVViewChoice& choice,
                                  const std::vector<RVClipLayout>& offered);

    // The read-outs' series: the trip's samples spread evenly over its length, as the slider,
    // map and read-outs of the window place them; the clock from the trip's first recording.
    static RVClipSeries series(const RVVideoData& node, double durationSeconds, bool british);
    // The camera's clock at trip second 0 in this computer's zone, as the window's clock shows it.
    static QDateTime cameraStart(const RVVideoData& node);
};
