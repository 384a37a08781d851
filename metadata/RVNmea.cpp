#include "metadata/RVNmea.h"

#include "core/RVCivilTime.h"
#include "core/RVNumber.h"
#include "core/RVTextSplit.h"
#include "metadata/RVCoordinate.h"

#include <limits>

namespace {

// 1 knot in km/h, taken as the float constant the cameras' software uses.
constexpr double kKmhPerKnot = double(1.852f);
// Below this the receivers' noise dominates; such speeds are shown as standing still (km/h).
constexpr double kMinimumSpeedKmh = 3.0;

// The three letters after the talker ("$GPRMC" -> "RMC"), empty for sentences too short to
// have a type. Position 0 is not checked: the "$" is sometimes lost.
std::string_view sentenceType(std::string_view sentence)
{
    return sentence.size() < 6 ? std::string_view() : sentence.substr(3, 3);
}

} // namespace

QString RVNmea::convertToDecCoordinates(std::string_view nmeaCoordinate)
{
    char buffer[RVCoordinate::kBufferSize];
    const std::string_view text = RVCoordinate::toDecimalDegrees(nmeaCoordinate, false, buffer);
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

std::optional<RVPoint> RVNmea::readPointFromNmea(std::string_view sentence)
{
    if (sentenceType(sentence) != "RMC")
        return std::nullopt;
    // Fields 0-9 are read, and an eleventh must follow.
    const RVFieldSplitter fields(sentence, 10);
    if (fields.count() < 11)
        return std::nullopt;

    // The same reading as the "HHmmss.SSS-ddMMyy" date format over field 1 + "-" + field 9,
    // without building the joined text for every line.
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

double RVNmea::readAltitudeFromNmea(std::string_view sentence)
{
    if (sentenceType(sentence) != "GGA")
        return std::numeric_limits<double>::quiet_NaN();
    const std::optional<std::string_view> altitude = RVFieldSplitter::field(sentence, 9);
    if (!altitude)
        return std::numeric_limits<double>::quiet_NaN();
    return RVNumber::leadingValue(*altitude);
}
