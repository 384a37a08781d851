#pragma once

#include "metadata/RVMetaData.h"

// Fixes that cameras record in decimal degrees (binary records, scaled integers) rather than
// as NMEA text: the point with its coordinates written "%.06f" like every other reader's.
namespace RVDegreesPoint {

RVPoint make(double latitude, double longitude, double altitudeMetres, double courseDegrees,
             double kmh, RVTimestamp time);
// Appends the point and its speed, keeping the track and the speed series in step.
void append(RVMetaData& data, const RVPoint& point);

} // namespace RVDegreesPoint
