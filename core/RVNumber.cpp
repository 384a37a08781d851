#include "core/RVNumber.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <system_error>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// from_chars leaves the value alone when it is out of range; tell overflow from underflow by
// where the first significant digit stands and by the explicit exponent.
double outOfRangeValue(std::string_view number)
{
    long long magnitude = 0;
    bool seenPoint = false;
    bool seenSignificant = false;
    std::size_t i = 0;
    for (; i < number.size() && (isDigit(number[i]) || number[i] == '.'); ++i) {
        const char c = number[i];
        if (c == '.') {
            seenPoint = true;
        } else if (!seenSignificant && c == '0') {
            if (seenPoint)
                --magnitude;
        } else {
            seenSignificant = true;
            if (!seenPoint)
                ++magnitude;
        }
    }
    if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        const char* begin = number.data() + i + 1;
        const char* end = number.data() + number.size();
        const bool negativeExponent = begin < end && *begin == '-';
        if (begin < end && *begin == '+')
            ++begin;
        // An exponent beyond 64 bits, or one that overflows the sum, decides by its sign alone.
        long long exponent = 0;
        const auto parsed = std::from_chars(begin, end, exponent);
        if (parsed.ec == std::errc::result_out_of_range ||
            __builtin_add_overflow(magnitude, exponent, &magnitude))
            return negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

// Plain decimals as receivers write them ("4914.1234", "0.9", "210") with at most 15 digits:
// the digits as an integer are exact in a double (below 2^53), and so is 10^k for k up to 22,
// so one division rounds once, exactly as from_chars does. Anything else (more digits, an
// exponent) is left to from_chars, which is slower for the short fields a track is made of.
std::optional<double> plainDecimal(const char* begin, const char* end)
{
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    // Digits past the 19th wrap around, but such a text is handed to from_chars anyway.
    std::uint64_t digits = 0;
    const char* p = begin;
    for (; p < end && isDigit(*p); ++p)
        digits = digits * 10 + std::uint64_t(*p - '0');
    const auto wholeDigits = p - begin;
    const char* fractionBegin = p;
    if (p < end && *p == '.') {
        fractionBegin = ++p;
        for (; p < end && isDigit(*p); ++p)
            digits = digits * 10 + std::uint64_t(*p - '0');
    }
    const auto fractionDigits = p - fractionBegin;
    if (wholeDigits + fractionDigits > 15)
        return std::nullopt;
    if (p < end && (*p == 'e' || *p == 'E'))
        return std::nullopt;
    return double(digits) / kPowersOfTen[fractionDigits];
}

// Where the number of a field text starts: after leading blanks and an optional sign. Inline:
// a log's scan asks this of every number field, and a call measured 1% of an export.
inline std::size_t numberStart(std::string_view text, bool& negative)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    return i;
}

} // namespace

bool RVNumber::leadingValueAtLeastOne(std::string_view text)
{
    bool negative = false;
    std::size_t i = numberStart(text, negative);
    if (i >= text.size() || text[i] < '1' || text[i] > '9')
        return false;
    for (; i < text.size(); ++i) {
        if ((text[i] | 0x20) == 'e') // 'e' or 'E'
            return false;
    }
    return true;
}

double RVNumber::leadingValue(std::string_view text)
{
    bool negative = false;
    const std::size_t i = numberStart(text, negative);
    // A number begins with a digit, or with "." and a digit; this also keeps out the "inf" and
    // "nan" that from_chars would otherwise accept.
    if (i >= text.size())
        return 0;
    if (!isDigit(text[i]) && !(text[i] == '.' && i + 1 < text.size() && isDigit(text[i + 1])))
        return 0;
    const char* begin = text.data() + i;
    const char* end = text.data() + text.size();
    if (const auto plain = plainDecimal(begin, end))
        return negative ? -*plain : *plain;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range)
        value = outOfRangeValue(std::string_view(begin, std::size_t(ptr - begin)));
    else if (ec != std::errc())
        return 0;
    return negative ? -value : value;
}

std::optional<double> RVNumber::wholeValue(std::string_view text)
{
    if (text.find_first_not_of("+-.0123456789") != std::string_view::npos ||
        text.find_first_of("0123456789") == std::string_view::npos)
        return std::nullopt;
    const double value = leadingValue(text);
    return std::isfinite(value) ? std::optional(value) : std::nullopt;
}
