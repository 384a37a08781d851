#include "player/window/RVClipPlan.h"

#include <QFileInfo>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

std::vector<RVClipSource> RVClipPlan::sources(const RVVideoData& node,
                                              const RVTripTimeline& timeline)
{
    std::vector<RVClipSource> sources;
    const RVVideoFileList& files = node.files();
    for (std::size_t i = 0; i < files.size(); ++i) {
        // A file that could not be read has no place on the time line.
        if (timeline.length(i) <= 0)
            continue;
        RVClipSource source;
        source.tripOffsetSeconds = timeline.start(i);
        for (const RVVideoView& view : files[i]->views()) {
            const int index = int(view.channel);
            while (source.viewPaths.size() <= index)
                source.viewPaths.append(QString());
            source.viewPaths[index] = view.filePath;
        }
        // The played file carries the trip's time line even when the camera gave it no channel.
        if (source.viewPaths.isEmpty())
            source.viewPaths.append(files[i]->filePath());
        sources.push_back(std::move(source));
    }
    return sources;
}

QStringList RVClipPlan::unreadableIn(const RVVideoData& node, const RVTripTimeline& timeline,
                                     double fromSeconds, double toSeconds)
{
    QStringList names;
    const RVVideoFileList& files = node.files();
    for (std::size_t i = 0; i < files.size(); ++i) {
        const double start = timeline.start(i);
        const double length = timeline.length(i);
        // A recording of no length sits where the next one starts: inside the range when that
        // place is.
        const bool inside = length <= 0 ? start >= fromSeconds && start <= toSeconds
                                        : start < toSeconds && start + length > fromSeconds;
        if (!inside)
            continue;
        if (length <= 0) {
            names << files[i]->fileName();
            continue;
        }
        for (const RVVideoView& view : files[i]->views()) {
            const QFileInfo info(view.filePath);
            if (!info.isFile() || !info.isReadable())
                names << info.fileName();
        }
    }
    return names;
}

std::pair<double, double> RVClipPlan::recordingAround(const RVTripTimeline& timeline,
                                                      double tripSeconds)
{
    const std::optional<RVTripTimeline::Place> place = timeline.locate(tripSeconds);
    if (!place)
        return {0.0, 0.0};
    const double start = timeline.start(place->index);
    return {start, start + timeline.length(place->index)};
}

std::pair<double, double> RVClipPlan::secondsAround(const RVTripTimeline& timeline,
                                                    double tripSeconds, double seconds)
{
    const double duration = timeline.duration();
    const double t = std::isfinite(tripSeconds) ? std::clamp(tripSeconds, 0.0, duration) : 0.0;
    return {std::max(0.0, t - seconds), std::min(duration, t + seconds)};
}

std::optional<RVEvent> RVClipPlan::eventAt(const std::vector<RVEvent>& events,
                                           const std::optional<RVEvent>& chosen, double tripSeconds)
{
    // Choosing an event plays from 5 s before it; a few seconds after it the driver has seen
    // it happen and asks for the clip.
    constexpr double kBeforeSeconds = 6.0;
    constexpr double kAfterSeconds = 10.0;
    constexpr double kChosenSeconds = 30.0;
    if (!std::isfinite(tripSeconds))
        return std::nullopt;
    if (chosen && std::fabs(tripSeconds - chosen->seconds) <= kChosenSeconds)
        return chosen;
    std::optional<RVEvent> nearest;
    for (const RVEvent& event : events) {
        if (tripSeconds < event.seconds - kBeforeSeconds ||
            tripSeconds > event.seconds + kAfterSeconds)
            continue;
        if (!nearest ||
            std::fabs(event.seconds - tripSeconds) < std::fabs(nearest->seconds - tripSeconds))
            nearest = event;
    }
    return nearest;
}

QStringList RVClipPlan::filesIn(const RVVideoData& node, const RVTripTimeline& timeline,
                                double fromSeconds, double toSeconds)
{
    QStringList names;
    const RVVideoFileList& files = node.files();
    for (std::size_t i = 0; i < files.size(); ++i) {
        const double start = timeline.start(i);
        const double length = timeline.length(i);
        if (length > 0 && start < toSeconds && start + length > fromSeconds)
            names << files[i]->fileName();
    }
    return names;
}

std::vector<RVClipLayout> RVClipPlan::layouts(const RVVideoData& node)
{
    std::size_t views = 1;
    for (const RVVideoFilePtr& file : node.files())
        views = std::max(views, file->views().size());
    std::vector<RVClipLayout> offered{RVClipLayout::Front};
    if (views >= 2)
        offered.insert(offered.end(), {RVClipLayout::Rear, RVClipLayout::PictureInPicture,
                                       RVClipLayout::SideBySide});
    if (views > 2)
        offered.push_back(RVClipLayout::Grid);
    return offered;
}

RVClipLayout RVClipPlan::layoutFor(const RVViewChoice& choice,
                                   const std::vector<RVClipLayout>& offered)
{
    RVClipLayout wanted = RVClipLayout::Front;
    switch (choice.arrangement) {
    case RVViewArrangement::Single:
        wanted = choice.main == RVChannel::Front ? RVClipLayout::Front : RVClipLayout::Rear;
        break;
    case RVViewArrangement::PictureInPicture:
        wanted = RVClipLayout::PictureInPicture;
        break;
    case RVViewArrangement::SideBySide:
        wanted = RVClipLayout::SideBySide;
        break;
    case RVViewArrangement::Grid:
        wanted = RVClipLayout::Grid;
        break;
    }
    const bool isOffered = std::find(offered.begin(), offered.end(), wanted) != offered.end();
    return isOffered || offered.empty() ? wanted : offered.front();
}

QDateTime RVClipPlan::cameraStart(const RVVideoData& node)
{
    const RVTimestamp start =
        node.files().empty() ? node.created() : node.files().front()->created();
    if (!start.isValid())
        return {};
    return QDateTime::fromMSecsSinceEpoch(start.msecsSinceEpoch(), QTimeZone::systemTimeZone());
}

RVClipSeries RVClipPlan::series(const RVVideoData& node, double durationSeconds, bool british)
{
    RVClipSeries series;
    series.cameraStart = cameraStart(node);
    series.speedUnit = british ? RVSpeedUnit::MilesPerHour : RVSpeedUnit::KilometresPerHour;
    const RVSeries data = node.series();
    if (!data.points || data.points->empty())
        return series;
    const std::vector<RVPoint>& points = *data.points;
    const std::size_t n = points.size();
    const std::size_t g = data.gSensorData ? data.gSensorData->size() : 0;
    const std::size_t v = data.velocityData ? data.velocityData->size() : 0;
    series.samples.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        RVClipSample sample;
        sample.tripSeconds = durationSeconds * double(i) / double(n);
        sample.point = points[i];
        sample.speedKmh = i < v ? (*data.velocityData)[i] : points[i].velocity();
        if (g > 0) {
            const RVSensorData& s = (*data.gSensorData)[std::min(g - 1, i * g / n)];
            sample.accelerationG = std::sqrt(s.x() * s.x() + s.y() * s.y() + s.z() * s.z());
        }
        series.samples.push_back(sample);
    }
    return series;
}
