#include "metadata/RVDegreesPoint.h"

#include "core/RVFixedSix.h"

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

} // namespace RVDegreesPoint
