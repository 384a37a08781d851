#include "core/RVFixedSix.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

// std::to_chars with a precision goes through a general fixed-notation printer that is slow
// for the hundreds of thousands of numbers a day's track holds. Below 10^12 the value times
// 10^6 fits 64 bits, so the rounding can be done exactly in integers: value = m * 2^-s with
// m a 53-bit integer, and m * 10^6 (below 2^73) is divided by 2^s with the remainder deciding
// the rounding. That exact path is needed only near a tie; everywhere else the rounded
// product in double precision decides.
namespace {

// The value times 10^6, rounded to the nearest integer with ties to even, computed exactly.
std::uint64_t exactUnits(double magnitude)
{
    // IEEE 754 double: 11 exponent bits above 52 fraction bits; a normal number is
    // (2^52 + fraction) * 2^(exponent - 1075), a subnormal one fraction * 2^-1074.
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const int exponent = static_cast<int>(bits >> 52);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    if (exponent != 0)
        mantissa |= std::uint64_t{1} << 52;
    const int shift = exponent != 0 ? 1075 - exponent : 1074; // at least 13, as magnitude < 2^40
    const unsigned __int128 scaled = static_cast<unsigned __int128>(mantissa) * 1000000u;
    std::uint64_t units = 0;
    if (shift < 120) {
        const auto quotient = static_cast<std::uint64_t>(scaled >> shift);
        const unsigned __int128 remainder =
            scaled - (static_cast<unsigned __int128>(quotient) << shift);
        const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
        units = quotient + ((remainder > half || (remainder == half && (quotient & 1))) ? 1 : 0);
    } // else below 2^-46: rounds to zero
    return units;
}

} // namespace

char* RVFixedSix::write(char* out, char* end, double value)
{
    const double magnitude = std::fabs(value);
    if (!(magnitude < 1e12) || end - out < 24) // NaN, infinities and large values
        return std::to_chars(out, end, value, std::chars_format::fixed, 6).ptr;

    std::uint64_t units = 0;
    // Most values are decided by the rounded product. Below 2^52 every half-integer is a
    // double and rounding to nearest keeps order, so the rounded product lies on the same side
    // of each half-integer as the exact one, or on it; only then is the exact path needed.
    // The fraction is exact there too.
    const double product = magnitude * 1e6;
    const double whole = std::floor(product);
    const double fraction = product - whole;
    if (product < 0x1p52 && fraction != 0.5)
        units = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
    else
        units = exactUnits(magnitude);

    if (std::signbit(value))
        *out++ = '-';
    out = std::to_chars(out, end, units / 1000000).ptr;
    *out++ = '.';
    // The six decimals two at a time, from a table of "00" to "99".
    static constexpr auto kPairs = [] {
        std::array<char, 200> pairs{};
        for (int i = 0; i < 100; ++i) {
            pairs[std::size_t(2 * i)] = char('0' + i / 10);
            pairs[std::size_t(2 * i + 1)] = char('0' + i % 10);
        }
        return pairs;
    }();
    const auto decimals = static_cast<unsigned>(units % 1000000);
    std::memcpy(out, &kPairs[2 * (decimals / 10000)], 2);
    std::memcpy(out + 2, &kPairs[2 * (decimals / 100 % 100)], 2);
    std::memcpy(out + 4, &kPairs[2 * (decimals % 100)], 2);
    return out + 6;
}
