#include "metadata/RVGpsProcessor.h"

#include "core/RVNumber.h"
#include "metadata/RVCameraClock.h"
#include "metadata/RVMetaDataReader.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The zero-point bound in degrees, as a float constant.
constexpr double kZeroBound = double(0.00001f);

// Medians sort NaN last so the ordering stays strict and weak whatever a caller passes in.
bool lessWithNanLast(double a, double b)
{
    if (std::isnan(a))
        return false;
    if (std::isnan(b))
        return true;
    return a < b;
}

// The value at index n/2 of the ascending order (the upper middle one for even n).
template <typename Axis>
double upperMedian(const std::vector<RVSensorData>& samples, Axis axis)
{
    std::vector<double> values;
    values.reserve(samples.size());
    for (const RVSensorData& s : samples)
        values.push_back(axis(s));
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end(), lessWithNanLast);
    return *middle;
}

// Whether a coordinate text can be a position: within the bound (degrees) and no "inf" or
// "nan" (which the converter writes for an overflowing field and which would otherwise read
// as 0, a position on the equator). A text without a number stays what it is: 0.
bool possibleCoordinate(std::string_view text, double bound)
{
    const std::size_t start = text.find_first_not_of("+- ");
    if (start != std::string_view::npos &&
        (text.substr(start, 3) == "inf" || text.substr(start, 3) == "nan"))
        return false;
    const double value = RVNumber::leadingValue(text);
    return std::isfinite(value) && std::fabs(value) <= bound;
}

} // namespace

RVGpsProcessor::RVGpsProcessor() = default;

RVGpsProcessor& RVGpsProcessor::sharedInstance()
{
    // A function-local static is initialised exactly once even when several threads ask at
    // the same moment.
    static RVGpsProcessor instance;
    return instance;
}

bool RVGpsProcessor::isZeroPoint(const RVPoint& point)
{
    // Exporters ask this of every point; most coordinates are plainly not near zero, and
    // telling so from the first digit is far cheaper than reading the number.
    if (RVNumber::leadingValueAtLeastOne(point.latitudeText()) ||
        RVNumber::leadingValueAtLeastOne(point.longitudeText()))
        return false;
    return std::fabs(point.latitudeValue()) < kZeroBound &&
           std::fabs(point.longitudeValue()) < kZeroBound;
}

std::optional<RVMetaData> RVGpsProcessor::readMetaDataFromVideoFile(
    const QString& videoPath, QString* format,
    std::vector<std::pair<QString, RVDecline>>* declines) const
{
    // The first reader that claims the recording wins; the rest are not asked.
    for (const RVMetaDataReader::Entry& reader : RVMetaDataReader::all()) {
        RVDecline why;
        std::optional<RVMetaData> data = reader.make()->readMetaDataOrDecline(videoPath, why);
        if (!data) {
            if (declines)
                declines->emplace_back(QString::fromLatin1(reader.format), why);
            continue;
        }
        if (format)
            *format = QString::fromLatin1(reader.format);
        discardImpossibleValues(*data);
        readTimesByCameraClock(*data, videoPath);
        if (const std::optional<RVRecordingName> name = parseRecordingName(videoPath))
            discardFixesBeforeStart(*data, RVCameraClock::startOfName(*name, videoPath));
        data->gSensorData = normalizeSensorData(data->gSensorData);
        fixFirstAltitudeRecords(data->points);
        return data;
    }
    return std::nullopt;
}

void RVGpsProcessor::discardImpossibleValues(RVMetaData& data)
{
    constexpr std::string_view kZero = "0.000000";
    // Unknown values are NaN throughout: the graphs leave a gap, the exports leave them out.
    constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
    for (std::size_t i = 0; i < data.points.size(); ++i) {
        RVPoint& point = data.points[i];
        if (!possibleCoordinate(point.latitudeText(), 90.0) ||
            !possibleCoordinate(point.longitudeText(), 180.0)) {
            point.setLatitude(kZero);
            point.setLongitude(kZero);
            point.setTime(RVTimestamp());
        }
        if (std::isinf(point.velocity()))
            point.setVelocity(kUnknown);
        if (std::isinf(point.altitude()))
            point.setAltitude(kUnknown);
        if (!std::isfinite(point.azimut()))
            point.setAzimut(0);
    }
    for (double& kmh : data.velocityData) {
        if (std::isinf(kmh))
            kmh = kUnknown;
    }
}

void RVGpsProcessor::readTimesByCameraClock(RVMetaData& data, const QString& videoPath)
{
    if (!data.localClock && data.pointTimes == RVTimeSource::Gps) {
        const auto dated =
            std::find_if(data.points.begin(), data.points.end(),
                         [](const RVPoint& point) { return point.time().isValid(); });
        data.localClock = dated != data.points.end() &&
                          RVCameraClock::fixesFollowCameraClock(videoPath, dated->time());
    }
    if (!data.localClock)
        return;
    const std::optional<RVRecordingName> name = parseRecordingName(videoPath);
    const RVClockRule rule =
        RVCameraClock::ruleFor(videoPath, name ? std::optional(name->family) : std::nullopt);
    // The written fields are the camera's wall clock: read them back as such.
    const auto byRule = [&rule](RVTimestamp written) {
        if (!written.isValid())
            return written;
        const QDateTime fields = written.toDateTime();
        return RVCameraClock::instantOf(QDateTime(fields.date(), fields.time()), rule);
    };
    for (RVPoint& point : data.points)
        point.setTime(byRule(point.time()));
    for (RVSensorData& sample : data.gSensorData) {
        if (const std::optional<RVTimestamp> written = sample.time().instantValue())
            sample.setTime(RVSensorLabel::instant(byRule(*written)));
    }
}

void RVGpsProcessor::discardFixesBeforeStart(RVMetaData& data, RVTimestamp start)
{
    // The name holds whole seconds, and a fix taken in the recording's first second may carry
    // a time a moment before the name's.
    constexpr std::int64_t kSlackMs = 2000;
    // A repeated fix is followed by the receiver's first own one after a pause; a receiver
    // that simply ran before the name's time (cameras keep a few seconds from before an
    // event) writes one fix a second.
    constexpr std::int64_t kPauseMs = 10000;
    if (!start.isValid() || data.pointTimes != RVTimeSource::Gps)
        return;
    std::vector<std::size_t> timed;
    for (std::size_t i = 0; i < data.points.size(); ++i) {
        if (data.points[i].time().isValid())
            timed.push_back(i);
    }
    std::vector<bool> stale(data.points.size(), false);
    bool any = false;
    for (std::size_t k = 0; k + 1 < timed.size(); ++k) {
        const std::int64_t ms = data.points[timed[k]].time().msecsSinceEpoch();
        const std::int64_t next = data.points[timed[k + 1]].time().msecsSinceEpoch();
        if (ms >= start.msecsSinceEpoch() - kSlackMs || next - ms <= kPauseMs)
            break;
        stale[timed[k]] = any = true;
    }
    if (!any)
        return;
    const bool paired = data.velocityData.size() == data.points.size();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < data.points.size(); ++i) {
        if (stale[i])
            continue;
        if (kept != i) {
            data.points[kept] = std::move(data.points[i]);
            if (paired)
                data.velocityData[kept] = data.velocityData[i];
        }
        ++kept;
    }
    data.points.resize(kept);
    if (paired)
        data.velocityData.resize(kept);
}

std::vector<RVSensorData>
RVGpsProcessor::normalizeSensorData(const std::vector<RVSensorData>& samples) const
{
    if (samples.empty())
        return samples;
    // Centring each axis on its median removes gravity and the mounting angle, leaving the
    // car's own accelerations around zero.
    const double mx = upperMedian(samples, [](const RVSensorData& s) { return s.x(); });
    const double my = upperMedian(samples, [](const RVSensorData& s) { return s.y(); });
    const double mz = upperMedian(samples, [](const RVSensorData& s) { return s.z(); });
    std::vector<RVSensorData> result;
    result.reserve(samples.size());
    for (const RVSensorData& s : samples) {
        const double x = s.x() - mx;
        const double y = s.y() - my;
        const double z = s.z() - mz;
        result.emplace_back(x, y, z, std::sqrt(x * x + y * y + z * z), s.time());
    }
    return result;
}

void RVGpsProcessor::fixFirstAltitudeRecords(std::vector<RVPoint>& points) const
{
    // Points read before the first altitude sentence take the first known altitude; later
    // gaps are left alone.
    const auto known = std::find_if(points.begin(), points.end(),
                                    [](const RVPoint& p) { return !std::isnan(p.altitude()); });
    if (known == points.end())
        return;
    const double altitude = known->altitude();
    for (auto it = points.begin(); it != known; ++it)
        it->setAltitude(altitude);
}
