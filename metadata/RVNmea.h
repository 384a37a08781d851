#pragma once

#include "metadata/RVPoint.h"

#include <QString>

#include <optional>
#include <string_view>

// NMEA 0183 decoding shared by the readers whose cameras log sentences (one per line):
//   $--RMC,hhmmss.sss,status,ddmm.mmmm,N/S,dddmm.mmmm,E/W,knots,course,ddmmyy,...
//   $--GGA,hhmmss,ddmm.mmmm,N/S,dddmm.mmmm,E/W,quality,satellites,hdop,altitude,M,...
// The type is the three letters after the talker ("$GNRMC" -> "RMC"), whatever the talker;
// checksums are not verified. Stateless, so every function may run on several threads at once.
namespace RVNmea {

// NMEA ddmm.mmmm / dddmm.mmmm to decimal degrees, "%.06f", computed in single precision.
QString convertToDecCoordinates(std::string_view nmeaCoordinate);
// An RMC sentence as a point (altitude 0, left to the caller; time UTC, speed km/h), or
// nothing.
std::optional<RVPoint> readPointFromNmea(std::string_view sentence);
// A GGA sentence's altitude in metres, NaN for any other sentence.
double readAltitudeFromNmea(std::string_view sentence);

} // namespace RVNmea
