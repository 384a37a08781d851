#pragma once

#include <cstddef>
#include <string_view>

// NMEA coordinates (ddmm.mmmm, dddmm.mmmm) to decimal degrees, written into a caller's buffer
// so that a track line costs no allocation.
namespace RVCoordinate {

// Large enough for any float in "%.06f" with two leading signs.
constexpr std::size_t kBufferSize = 64;

// The decimal-degree text ("%.06f") of an NMEA coordinate, computed in single precision
// exactly as the cameras' own software does: whole degrees are floor(v / 100), the rest are
// minutes. With negative set, a "-" is put in front (south, west). The view points into
// buffer, which must hold kBufferSize bytes.
std::string_view toDecimalDegrees(std::string_view nmea, bool negative, char* buffer);
// The same for a coordinate already read as a number (binary records keep ddmm.mmmm as a
// float or a scaled integer).
std::string_view toDecimalDegrees(float nmea, bool negative, char* buffer);

} // namespace RVCoordinate
