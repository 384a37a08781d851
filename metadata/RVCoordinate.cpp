#include "metadata/RVCoordinate.h"

#include "core/RVFixedSix.h"
#include "core/RVNumber.h"

#include <cmath>
#include <limits>

std::string_view RVCoordinate::toDecimalDegrees(std::string_view nmea, bool negative, char* buffer)
{
    const double value = RVNumber::leadingValue(nmea);
    // Narrowing a double beyond the float range is undefined; such a text is garbage anyway
    // and becomes an infinite coordinate.
    float v = 0;
    if (value > double(std::numeric_limits<float>::max()))
        v = std::numeric_limits<float>::infinity();
    else if (value < -double(std::numeric_limits<float>::max()))
        v = -std::numeric_limits<float>::infinity();
    else
        v = float(value);
    return toDecimalDegrees(v, negative, buffer);
}

std::string_view RVCoordinate::toDecimalDegrees(float v, bool negative, char* buffer)
{
    // All in float: the single-precision rounding is part of the result that cameras' own
    // software shows (5545.1234 gives 55.752060, not 55.752057). Whole degrees stay a float
    // (floor of a float is exact in float), which equals the integer for every real value
    // and avoids an out-of-range integer conversion for garbage.
    const float degrees = std::floor(v / 100.0f);
    const float minutes = v - degrees * 100.0f;
    const float result = degrees + minutes / 60.0f;

    char* out = buffer;
    if (negative)
        *out++ = '-';
    const char* written = RVFixedSix::write(out, buffer + kBufferSize, double(result));
    return std::string_view(buffer, std::size_t(written - buffer));
}
