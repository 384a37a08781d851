#pragma once

// Writes a number as printf's "%.6f" does in the C locale: correctly rounded from the exact
// binary value with ties to even, "." as decimal point, and a minus sign for every negative
// value, also one that rounds to zero. Coordinates, speeds and courses are written this way.
namespace RVFixedSix {
// Writes into [out, end) and returns the end of the text; 24 characters always suffice for
// values below 10^12 in magnitude, and larger ones are written as std::to_chars writes them.
char* write(char* out, char* end, double value);
} // namespace RVFixedSix
