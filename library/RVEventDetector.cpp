#include "library/RVEventDetector.h"

#include "core/RVSettings.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVRecordingName.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kStandardGravity = 9.80665; // m/s² per g
constexpr double kKmhPerMs = 3.6;
constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
// Half a second of averaging keeps braking and cornering (which last seconds) and removes the
// single-sample spikes of bumps and rattle (real 10 Hz logs show 0.7 g for one sample).
constexpr double kSmoothingSeconds = 0.5;
// Over-threshold moments closer than this are one episode.
constexpr double kMergeGapSeconds = 1.0;
// A crash also shakes the averaged signal; around an impact only the impact counts.
constexpr double kImpactShadowSeconds = 1.5;
// The speed's change is taken over this much either side of the moment.
constexpr double kSpeedSpanSeconds = 1.0;
// Share of the felt acceleration the speed change must explain to be braking or acceleration.
constexpr double kExplainedShare = 0.5;
// An over-speed episode ends this far below the limit, so hovering at it gives one event.
constexpr double kSpeedHysteresisKmh = 3.0;
// How far from the moment a track point may be to give its place.
constexpr double kFixSearchSeconds = 5.0;

struct Peak
{
    std::size_t index = 0;
    double value = 0;
};

// The peaks of the runs where value(i) reaches threshold; runs at most gap samples apart are
// one. NaN never reaches.
template <class Value>
std::vector<Peak> peaksOver(std::size_t count, double threshold, std::size_t gap, Value value)
{
    std::vector<Peak> peaks;
    bool any = false;
    std::size_t lastOver = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double v = value(i);
        if (!(v >= threshold))
            continue;
        if (any && i - lastOver <= gap) {
            if (v > peaks.back().value)
                peaks.back() = {i, v};
        } else {
            peaks.push_back({i, v});
        }
        any = true;
        lastOver = i;
    }
    return peaks;
}

// Samples in `seconds` at `step` seconds a sample, at least one.
std::size_t samplesIn(double seconds, double step)
{
    return std::max<std::size_t>(1, std::size_t(std::lround(seconds / step)));
}

// The recording's length: as measured, else the span of its track's times.
double lengthOf(const RVRecordingSeries& recording)
{
    if (recording.durationSeconds > 0)
        return recording.durationSeconds;
    if (!recording.points)
        return 0;
    RVTimestamp first, last;
    for (const RVPoint& point : *recording.points) {
        if (!point.time().isValid())
            continue;
        if (!first.isValid())
            first = point.time();
        last = point.time();
    }
    return first.isValid() ? double(last.msecsSinceEpoch() - first.msecsSinceEpoch()) / 1000.0
                           : 0.0;
}

// Reads the series of one recording at a time offset, placing entry i of n at i * length / n.
class Timeline final
{
public:
    Timeline(const RVRecordingSeries& recording, double lengthSeconds)
        : m_recording(recording), m_length(lengthSeconds)
    {}

    // Longitudinal acceleration in g from the speed's change around the moment; NaN without
    // speeds there.
    double speedChangeG(double seconds) const
    {
        const std::vector<double>* speeds = m_recording.speeds;
        if (!speeds || speeds->size() < 2)
            return kUnknown;
        const std::size_t n = speeds->size();
        const double step = m_length / double(n);
        const std::size_t span = samplesIn(kSpeedSpanSeconds, step);
        const std::size_t at = std::min(n - 1, std::size_t(std::lround(seconds / step)));
        const std::size_t from = at > span ? at - span : 0;
        const std::size_t to = std::min(n - 1, at + span);
        const double v1 = (*speeds)[from];
        const double v2 = (*speeds)[to];
        if (to <= from || !std::isfinite(v1) || !std::isfinite(v2))
            return kUnknown;
        return (v2 - v1) / kKmhPerMs / (double(to - from) * step) / kStandardGravity;
    }

    // The nearest track point with a position, within a few seconds of the moment.
    const RVPoint* fixAt(double seconds) const
    {
        const std::vector<RVPoint>* points = m_recording.points;
        if (!points || points->empty())
            return nullptr;
        const std::size_t n = points->size();
        const double step = m_length / double(n);
        const std::size_t at = std::min(n - 1, std::size_t(std::max(0.0, seconds / step)));
        const std::size_t reach = samplesIn(kFixSearchSeconds, step);
        for (std::size_t d = 0; d <= reach; ++d) {
            if (at >= d && !RVGpsProcessor::isZeroPoint((*points)[at - d]))
                return &(*points)[at - d];
            if (at + d < n && !RVGpsProcessor::isZeroPoint((*points)[at + d]))
                return &(*points)[at + d];
        }
        return nullptr;
    }

    RVEvent event(RVEventKind kind, double seconds, double strength) const
    {
        RVEvent event;
        event.kind = kind;
        event.seconds = seconds;
        event.strength = strength;
        if (m_recording.start.isValid())
            event.time = RVTimestamp::fromMSecsSinceEpoch(m_recording.start.msecsSinceEpoch() +
                                                          std::llround(seconds * 1000.0));
        const RVPoint* fix = fixAt(seconds);
        event.latitude = fix ? fix->latitudeValue() : kUnknown;
        event.longitude = fix ? fix->longitudeValue() : kUnknown;
        return event;
    }

private:
    const RVRecordingSeries& m_recording;
    double m_length;
};

// The felt acceleration averaged over a centred window of `window` samples.
std::vector<double> smoothedMagnitudes(const std::vector<RVSensorData>& samples, std::size_t window)
{
    const std::size_t n = samples.size();
    std::vector<double> sx(n + 1, 0.0), sy(n + 1, 0.0), sz(n + 1, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        sx[i + 1] = sx[i] + samples[i].x();
        sy[i + 1] = sy[i] + samples[i].y();
        sz[i + 1] = sz[i] + samples[i].z();
    }
    const std::size_t half = window / 2;
    std::vector<double> magnitudes(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t from = i > half ? i - half : 0;
        const std::size_t to = std::min(n, i + half + 1);
        const double count = double(to - from);
        const double x = (sx[to] - sx[from]) / count;
        const double y = (sy[to] - sy[from]) / count;
        const double z = (sz[to] - sz[from]) / count;
        magnitudes[i] = std::sqrt(x * x + y * y + z * z);
    }
    return magnitudes;
}

} // namespace

RVEventThresholds RVEventThresholds::defaults()
{
    return {RVSettings::kDefaultHardBrakingG, RVSettings::kDefaultHardAccelerationG,
            RVSettings::kDefaultSharpTurnG, RVSettings::kDefaultImpactG, 0.0};
}

RVEventThresholds RVEventThresholds::fromSettings()
{
    const RVEventThresholds d = defaults();
    // A threshold of zero or less would make every moment an event: the default stands then.
    const auto positive = [](const char* key, double fallback) {
        const double value = RVSettings::doubleValue(key, fallback);
        return value > 0 && std::isfinite(value) ? value : fallback;
    };
    RVEventThresholds t;
    t.hardBrakingG = positive(RVSettings::kEventHardBrakingG, d.hardBrakingG);
    t.hardAccelerationG = positive(RVSettings::kEventHardAccelerationG, d.hardAccelerationG);
    t.sharpTurnG = positive(RVSettings::kEventSharpTurnG, d.sharpTurnG);
    t.impactG = positive(RVSettings::kEventImpactG, d.impactG);
    const double limit = RVSettings::doubleValue(RVSettings::kEventSpeedLimitKmh, 0.0);
    t.speedLimitKmh = std::isfinite(limit) ? limit : 0.0;
    return t;
}

std::optional<RVEventKind> RVEventDetector::cameraMark(const QString& videoPath)
{
    const std::optional<RVRecordingName> name = parseRecordingName(videoPath);
    if (!name)
        return std::nullopt;
    switch (name->mode) {
    case RVRecordingMode::Event:
        if (name->family == RVCameraFamily::BlackVue) {
            // BlackVue's mode letters: I is an impact while parked, O the overspeed alarm.
            if (name->modeCode == QLatin1String("I"))
                return RVEventKind::CameraParkingImpact;
            if (name->modeCode == QLatin1String("O"))
                return RVEventKind::CameraOverSpeed;
        }
        return RVEventKind::CameraEvent;
    case RVRecordingMode::Manual:
        return RVEventKind::CameraManual;
    case RVRecordingMode::Unknown:
    case RVRecordingMode::Normal:
    case RVRecordingMode::Parking:
        break;
    }
    return std::nullopt;
}

std::vector<RVEvent> RVEventDetector::detect(const RVRecordingSeries& recording) const
{
    std::vector<RVEvent> events;
    const double length = lengthOf(recording);
    const Timeline timeline(recording, length);
    const std::vector<RVSensorData> none;
    const std::vector<RVSensorData>& samples = recording.samples ? *recording.samples : none;

    if (const std::optional<RVEventKind> mark = cameraMark(recording.videoPath)) {
        // The camera says the whole recording is the event, not when inside it: it stands at
        // the start, with the strongest jolt the recording felt.
        double peak = kUnknown;
        for (const RVSensorData& sample : samples)
            peak = std::isnan(peak) ? sample.common() : std::max(peak, sample.common());
        events.push_back(timeline.event(*mark, 0.0, peak));
    }
    if (!(length > 0)) // nowhere to place anything else
        return events;

    if (samples.size() >= 2) {
        const double step = length / double(samples.size());
        const std::size_t gap = samplesIn(kMergeGapSeconds, step);
        const std::vector<Peak> impacts =
            peaksOver(samples.size(), m_thresholds.impactG, gap,
                      [&samples](std::size_t i) { return samples[i].common(); });
        for (const Peak& peak : impacts)
            events.push_back(
                timeline.event(RVEventKind::Impact, double(peak.index) * step, peak.value));

        const std::vector<double> felt =
            smoothedMagnitudes(samples, samplesIn(kSmoothingSeconds, step));
        const double lowest = std::min(
            {m_thresholds.hardBrakingG, m_thresholds.hardAccelerationG, m_thresholds.sharpTurnG});
        const std::size_t shadow = samplesIn(kImpactShadowSeconds, step);
        for (const Peak& peak :
             peaksOver(felt.size(), lowest, gap, [&felt](std::size_t i) { return felt[i]; })) {
            const bool nearImpact = std::any_of(impacts.begin(), impacts.end(), [&](const Peak& p) {
                return std::max(p.index, peak.index) - std::min(p.index, peak.index) <= shadow;
            });
            if (nearImpact)
                continue;
            const double seconds = double(peak.index) * step;
            const double along = timeline.speedChangeG(seconds);
            RVEventKind kind = RVEventKind::HarshDriving;
            double threshold = std::min(m_thresholds.hardBrakingG, m_thresholds.hardAccelerationG);
            if (std::isfinite(along) && std::abs(along) >= kExplainedShare * peak.value) {
                kind = along < 0 ? RVEventKind::HardBraking : RVEventKind::HardAcceleration;
                threshold = along < 0 ? m_thresholds.hardBrakingG : m_thresholds.hardAccelerationG;
            } else if (std::isfinite(along)) {
                kind = RVEventKind::SharpTurn;
                threshold = m_thresholds.sharpTurnG;
            }
            if (peak.value >= threshold)
                events.push_back(timeline.event(kind, seconds, peak.value));
        }
    }

    if (m_thresholds.speedLimitKmh > 0 && recording.speeds && !recording.speeds->empty()) {
        const std::vector<double>& speeds = *recording.speeds;
        const double step = length / double(speeds.size());
        const double limit = m_thresholds.speedLimitKmh;
        std::optional<Peak> open;
        const auto close = [&] {
            events.push_back(
                timeline.event(RVEventKind::OverSpeed, double(open->index) * step, open->value));
            open.reset();
        };
        for (std::size_t i = 0; i < speeds.size(); ++i) {
            const double v = speeds[i];
            if (!std::isfinite(v))
                continue;
            if (open) {
                if (v > open->value)
                    *open = {i, v};
                else if (v < limit - kSpeedHysteresisKmh)
                    close();
            } else if (v > limit) {
                open = Peak{i, v};
            }
        }
        if (open)
            close();
    }

    std::stable_sort(events.begin(), events.end(),
                     [](const RVEvent& a, const RVEvent& b) { return a.seconds < b.seconds; });
    return events;
}

std::vector<RVEvent> joinTripEvents(const std::vector<RVEventSeries>& perFile,
                                    const std::vector<double>& fileStartSeconds)
{
    std::vector<RVEvent> joined;
    for (std::size_t i = 0; i < perFile.size(); ++i) {
        if (!perFile[i])
            continue;
        const double offset = i < fileStartSeconds.size() ? fileStartSeconds[i] : 0.0;
        for (RVEvent event : *perFile[i]) {
            event.seconds += offset;
            event.fileIndex = int(i);
            joined.push_back(event);
        }
    }
    return joined;
}
