#include "metadata/RVGpsProcessor.h"

#include "metadata/RVBlackVueMetaDataReader.h"
#include "metadata/RVCivilTime.h"
#include "metadata/RVCoordinate.h"
#include "metadata/RVKorvelaMetaDataReader.h"
#include "metadata/RVMiniMetaDataReader.h"
#include "metadata/RVNovatekMetaDataReader.h"
#include "metadata/RVNumber.h"
#include "metadata/RVSeventyMaiMetaDataReader.h"
#include "metadata/RVTextSplit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// 1 knot in km/h, taken as the float constant the cameras' software uses.
constexpr double kKmhPerKnot = double(1.852f);
// Below this the receivers' noise dominates; such speeds are shown as standing still (km/h).
constexpr double kMinimumSpeedKmh = 3.0;
// The zero-point bound in degrees, as a float constant.
constexpr double kZeroBound = double(0.00001f);

// The three letters after the talker ("$GPRMC" -> "RMC"), empty for sentences too short to
// have a type. Position 0 is not checked: the "$" is sometimes lost.
std::string_view sentenceType(std::string_view sentence)
{
    return sentence.size() < 6 ? std::string_view() : sentence.substr(3, 3);
}

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

// The readers in the order they are asked, with their format names. A reader claims only what
// it recognises for certain, so the order decides only between readers that both could.
template <typename Reader>
std::optional<RVMetaData> readWith(const QString& path)
{
    return Reader().readMetaDataFromVideoFile(path);
}
struct ReaderEntry
{
    const char* format;
    std::optional<RVMetaData> (*read)(const QString& path);
};
constexpr ReaderEntry kReaders[] = {
    {"BlackVue", &readWith<RVBlackVueMetaDataReader>},
    {"Mini", &readWith<RVMiniMetaDataReader>},
    {"Korvela", &readWith<RVKorvelaMetaDataReader>},
    {"Novatek", &readWith<RVNovatekMetaDataReader>},
    {"70mai", &readWith<RVSeventyMaiMetaDataReader>},
};

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

QString RVGpsProcessor::convertToDecCoordinates(std::string_view nmeaCoordinate)
{
    char buffer[RVCoordinate::kBufferSize];
    const std::string_view text = RVCoordinate::toDecimalDegrees(nmeaCoordinate, false, buffer);
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
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

std::optional<RVPoint> RVGpsProcessor::readPointFromNmea(std::string_view sentence) const
{
    if (sentenceType(sentence) != "RMC")
        return std::nullopt;
    // $--RMC,hhmmss.sss,status,ddmm.mmmm,N/S,dddmm.mmmm,E/W,knots,course,ddmmyy,...
    // Fields 0-9 are read, and an eleventh must follow.
    const RVFieldSplitter fields(sentence, 10);
    if (fields.count() < 11)
        return std::nullopt;

    // The same reading as nmeaDateFormatter's "HHmmss.SSS-ddMMyy" over field 1 + "-" +
    // field 9, without building the joined text for every line.
    RVTimestamp time;
    RVCivilTime::Fields civil;
    if (RVCivilTime::parseTimeOfDay(fields[1], civil) &&
        RVCivilTime::parseDayMonthYear(fields[9], civil))
        time = RVCivilTime::utcInstant(civil);

    char latitude[RVCoordinate::kBufferSize];
    char longitude[RVCoordinate::kBufferSize];
    const std::string_view latitudeText =
        RVCoordinate::toDecimalDegrees(fields[3], fields[4] == "S", latitude);
    const std::string_view longitudeText =
        RVCoordinate::toDecimalDegrees(fields[5], fields[6] == "W", longitude);

    double kmh = RVNumber::leadingValue(fields[7]) * kKmhPerKnot;
    if (kmh < kMinimumSpeedKmh)
        kmh = 0;
    const double course = RVNumber::leadingValue(fields[8]);
    return RVPoint(latitudeText, longitudeText, 0, course, kmh, time);
}

double RVGpsProcessor::readAltitudeFromNmea(std::string_view sentence) const
{
    if (sentenceType(sentence) != "GGA")
        return std::numeric_limits<double>::quiet_NaN();
    // $--GGA,hhmmss,ddmm.mmmm,N/S,dddmm.mmmm,E/W,quality,satellites,hdop,altitude,M,...
    const std::optional<std::string_view> altitude = RVFieldSplitter::field(sentence, 9);
    if (!altitude)
        return std::numeric_limits<double>::quiet_NaN();
    return RVNumber::leadingValue(*altitude);
}

std::optional<RVMetaData> RVGpsProcessor::readMetaDataFromVideoFile(const QString& videoPath,
                                                                    QString* format) const
{
    // The order decides the format: a BlackVue track file beside the video wins whatever the
    // video's name, then a Mini log for "AMBA" videos, then the Korvela texts and box, then
    // the other cameras' data inside the video.
    for (const ReaderEntry& reader : kReaders) {
        std::optional<RVMetaData> data = reader.read(videoPath);
        if (!data)
            continue;
        if (format)
            *format = QString::fromLatin1(reader.format);
        discardImpossibleValues(*data);
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
