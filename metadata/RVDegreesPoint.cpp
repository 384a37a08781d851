#include "metadata/RVDegreesPoint.h"

#include "core/RVFixedSix.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRadians = 3.14159265358979323846 / 180;

} // namespace

namespace RVDegreesPoint {

RVPoint make(double latitude, double longitude, double altitudeMetres, double courseDegrees,
             double kmh, RVTimestamp time)
{
    char lat[32];
    char lon[32];
    const char* latEnd = RVFixedSix::write(lat, lat + sizeof lat, latitude);
    const char* lonEnd = RVFixedSix::write(lon, lon + sizeof lon, longitude);
    return RVPoint(std::string_view(lat, std::size_t(latEnd - lat)),
                   std::string_view(lon, std::size_t(lonEnd - lon)), altitudeMetres, courseDegrees,
                   kmh, time);
}

void append(RVMetaData& data, const RVPoint& point)
{
    data.points.push_back(point);
    data.velocityData.push_back(point.velocity());
}

double fromDegreesMinutes(double ddmm, double maxDegrees)
{
    const double magnitude = std::fabs(ddmm);
    const double whole = std::floor(magnitude / 100);
    const double minutes = magnitude - whole * 100;
    if (!(minutes < 60) || !(whole + minutes / 60 <= maxDegrees))
        return std::nan("");
    return std::copysign(whole + minutes / 60, ddmm);
}

double metresBetween(double latitude1, double longitude1, double latitude2, double longitude2)
{
    constexpr double kEarthRadiusMetres = 6371008.8;
    const double dLat = (latitude2 - latitude1) * kRadians;
    const double dLon = (longitude2 - longitude1) * kRadians;
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(latitude1 * kRadians) * std::cos(latitude2 * kRadians) *
                         std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kEarthRadiusMetres * std::asin(std::sqrt(std::min(1.0, h)));
}

std::optional<double> courseBetween(double latitude1, double longitude1, double latitude2,
                                    double longitude2)
{
    if (latitude1 == latitude2 && longitude1 == longitude2)
        return std::nullopt;
    const double phi1 = latitude1 * kRadians, phi2 = latitude2 * kRadians;
    const double dLon = (longitude2 - longitude1) * kRadians;
    const double y = std::sin(dLon) * std::cos(phi2);
    const double x =
        std::cos(phi1) * std::sin(phi2) - std::sin(phi1) * std::cos(phi2) * std::cos(dLon);
    const double degrees = std::atan2(y, x) / kRadians;
    return degrees < 0 ? degrees + 360 : degrees;
}

} // namespace RVDegreesPoint
