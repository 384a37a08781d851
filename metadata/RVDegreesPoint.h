#pragma once

#include "metadata/RVMetaData.h"

#include <optional>

// Fixes that cameras record in decimal degrees (binary records, scaled integers) rather than
// as NMEA text: the point with its coordinates written "%.06f" like every other reader's.
namespace RVDegreesPoint {

RVPoint make(double latitude, double longitude, double altitudeMetres, double courseDegrees,
             double kmh, RVTimestamp time);
// Appends the point and its speed, keeping the track and the speed series in step.
void append(RVMetaData& data, const RVPoint& point);

// Signed decimal degrees of a signed NMEA magnitude, ddmm.mmmm (-5030.0 is -50.5); NaN when its
// minutes are 60 or more or the degrees exceed maxDegrees (90 for latitudes, 180 for longitudes).
double fromDegreesMinutes(double ddmm, double maxDegrees);

// The great-circle distance in metres between two positions in decimal degrees (haversine, on
// the mean earth radius), for readers that check their fixes against their speeds.
double metresBetween(double latitude1, double longitude1, double latitude2, double longitude2);

// The course from the first position to the second, degrees clockwise from north (0-360), for
// logs that write none; nothing when the two are the same place.
std::optional<double> courseBetween(double latitude1, double longitude1, double latitude2,
                                    double longitude2);

} // namespace RVDegreesPoint
