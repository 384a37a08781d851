#pragma once

#include <optional>
#include <string_view>

// The numeric value of a text as metadata fields are read: optional leading blanks, an optional
// sign, digits, an optional "." with digits, an optional exponent; whatever follows is ignored.
// A text that does not begin with a number is 0. The decimal separator is always ".".
namespace RVNumber {
double leadingValue(std::string_view text);
// True when leadingValue(text) is certainly 1 or more in size, told without reading the
// number: its first digit is 1-9 and no exponent can follow. False when unsure.
bool leadingValueAtLeastOne(std::string_view text);
// The value of a field that is all of a decimal number (signs, digits and points only, a digit
// among them: "+0.152", "19.60"), when it is finite; nothing for any other text.
std::optional<double> wholeValue(std::string_view text);
} // namespace RVNumber
