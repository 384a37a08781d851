#pragma once

#include <string_view>

// The value of a coordinate text as tracks hold them ("-dd.dddddd", up to four whole and nine
// fraction digits), read directly: the digits as one integer over a power of ten, which is
// the correctly rounded value a full number reader gives. A million points read in a few
// milliseconds instead of a hundred. Any other form is read by RVNumber::leadingValue, so the
// result always equals that reader's.
namespace RVCoordinateValue {
double value(std::string_view text);
} // namespace RVCoordinateValue
