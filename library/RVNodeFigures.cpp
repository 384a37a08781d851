#include "library/RVNodeFigures.h"

#include <cmath>

void joinTripFigures(RVVideoData& trip)
{
    std::vector<RVEventSeries> events;
    std::vector<RVTripStatsPtr> stats;
    std::vector<double> starts;
    // Trip time: a file starts where the lengths before it end, as the playback joins them; a
    // file of unknown length (NaN) adds nothing, as in the trip's own length.
    float offset = 0;
    for (const RVVideoDataPtr& child : trip.children()) {
        events.push_back(child->eventSeries());
        stats.push_back(child->stats());
        if (!events.back() || !stats.back())
            return;
        starts.push_back(double(offset));
        const float length = child->duration();
        offset += std::isfinite(length) && length > 0 ? length : 0.0f;
    }
    trip.setFigures(std::make_shared<const std::vector<RVEvent>>(joinTripEvents(events, starts)),
                    std::make_shared<const RVTripStats>(joinTripStats(stats)));
}

void computeNodeFigures(RVVideoData& node, const RVSeries& series,
                        const RVEventThresholds& thresholds)
{
    if (!node.children().empty()) {
        joinTripFigures(node);
        return;
    }
    const std::vector<RVPoint> noPoints;
    const std::vector<double> noSpeeds;
    const std::vector<RVPoint>& points = series.points ? *series.points : noPoints;
    const std::vector<double>& speeds = series.velocityData ? *series.velocityData : noSpeeds;

    RVRecordingSeries recording;
    recording.points = &points;
    recording.samples = series.gSensorData.get();
    recording.speeds = &speeds;
    recording.durationSeconds = double(node.duration());
    if (!node.files().empty()) {
        recording.start = node.files().front()->created();
        recording.videoPath = node.files().front()->filePath();
    }
    node.setFigures(
        std::make_shared<const std::vector<RVEvent>>(RVEventDetector(thresholds).detect(recording)),
        std::make_shared<const RVTripStats>(computeTripStats(points, speeds)));
}
