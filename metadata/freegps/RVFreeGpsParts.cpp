#include "metadata/freegps/RVFreeGpsParts.h"

#include "core/RVCivilTime.h"
#include "core/RVFixedSix.h"
#include "metadata/RVCoordinate.h"
#include "metadata/RVNmea.h"

#include <cmath>
#include <limits>

namespace RVFreeGpsParts {

std::optional<RVTimestamp> utcTime(std::int64_t year, std::int64_t month, std::int64_t day,
                                   std::int64_t hour, std::int64_t minute, double second)
{
    if (year < 2000 || year > 2099 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || !(second >= 0 && second < 61))
        return std::nullopt;
    if (day > RVCivilTime::daysInMonth(int(year), int(month)))
        return std::nullopt;
    RVCivilTime::Fields f;
    f.year = int(year);
    f.month = int(month);
    f.day = int(day);
    f.hour = int(hour);
    f.minute = int(minute);
    f.second = int(second);
    f.millisecond = int(std::lround((second - f.second) * 1000));
    if (f.millisecond > 999)
        f.millisecond = 999;
    return RVCivilTime::utcInstant(f);
}

RVPoint fromNmea(double latitude, char ns, double longitude, char ew, double kmh, double course,
                 RVTimestamp time)
{
    char lat[RVCoordinate::kBufferSize];
    char lon[RVCoordinate::kBufferSize];
    return RVPoint(RVCoordinate::toDecimalDegrees(float(std::fabs(latitude)), ns == 'S', lat),
                   RVCoordinate::toDecimalDegrees(float(std::fabs(longitude)), ew == 'W', lon),
                   std::numeric_limits<double>::quiet_NaN(), course, kmh, time);
}

RVPoint fromNmeaPrecise(double latitude, char ns, double longitude, char ew, double kmh,
                        double course, RVTimestamp time)
{
    const auto degrees = [](double v) {
        v = std::fabs(v);
        return std::floor(v / 100) + std::fmod(v, 100) / 60;
    };
    return fromDegrees(degrees(latitude) * (ns == 'S' ? -1 : 1),
                       degrees(longitude) * (ew == 'W' ? -1 : 1), kmh, course, time);
}

RVPoint fromDegrees(double latitude, double longitude, double kmh, double course, RVTimestamp time)
{
    char lat[32];
    char lon[32];
    const char* latEnd = RVFixedSix::write(lat, lat + sizeof lat, latitude);
    const char* lonEnd = RVFixedSix::write(lon, lon + sizeof lon, longitude);
    return RVPoint(std::string_view(lat, std::size_t(latEnd - lat)),
                   std::string_view(lon, std::size_t(lonEnd - lon)),
                   std::numeric_limits<double>::quiet_NaN(), course, kmh, time);
}

RVSensorData sample(double x, double y, double z, RVTimestamp time)
{
    return RVSensorData(x, y, z, std::sqrt(x * x + y * y + z * z), RVSensorLabel::instant(time));
}

std::optional<std::int64_t> digits(std::string_view text, std::size_t at, std::size_t count)
{
    if (at > text.size() || count > text.size() - at || count == 0 || count > 18)
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text.substr(at, count)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

RVFreeGps::Block::Status readRmc(std::string_view text, RVPoint& point)
{
    using Status = RVFreeGps::Block::Status;
    std::size_t start = 0;
    for (;;) {
        start = text.find('$', start);
        if (start == std::string_view::npos || text.size() - start < 7)
            return Status::Unknown;
        if (text.substr(start + 3, 4) == "RMC,")
            break;
        ++start;
    }
    std::size_t end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n' && text[end] != '*' &&
           text[end] != '\0')
        ++end;
    const std::string_view sentence = text.substr(start, end - start);
    // Field 2 is the status, fields 3 and 5 the coordinates.
    std::string_view fields[7];
    std::size_t from = 0;
    for (std::string_view& field : fields) {
        const std::size_t comma = sentence.find(',', from);
        if (comma == std::string_view::npos)
            return Status::Unknown;
        const std::size_t next = sentence.find(',', comma + 1);
        field = sentence.substr(
            comma + 1, (next == std::string_view::npos ? sentence.size() : next) - comma - 1);
        from = comma + 1;
    }
    if (fields[1] != "A" || fields[2].empty() || fields[4].empty())
        return Status::NoFix;
    const std::optional<RVPoint> read = RVNmea::readPointFromNmea(sentence);
    if (!read || !read->time().isValid())
        return Status::Unknown;
    point = *read;
    return Status::Fix;
}

void addFix(RVFreeGps::Block& block, const RVPoint& point)
{
    block.fixes.push_back({point, point.velocity()});
    block.status = RVFreeGps::Block::Status::Fix;
}

} // namespace RVFreeGpsParts
