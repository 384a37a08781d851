#include "metadata/RVCoordinateValue.h"

#include "core/RVNumber.h"

#include <cstdint>

namespace RVCoordinateValue {

double value(std::string_view text)
{
    static constexpr double kPowers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    constexpr int kWholeDigits = 4;
    constexpr int kFractionDigits = 9; // 13 digits stay exact in a double's 53 bits
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        ++i;
    std::int64_t digits = 0;
    int whole = 0;
    int fraction = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && whole < kWholeDigits;
         ++i, ++whole)
        digits = digits * 10 + (text[i] - '0');
    if (whole > 0 && i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9' && fraction < kFractionDigits;
             ++i, ++fraction)
            digits = digits * 10 + (text[i] - '0');
    }
    if (whole == 0 || i != text.size())
        return RVNumber::leadingValue(text);
    const double magnitude = double(digits) / kPowers[fraction];
    return negative ? -magnitude : magnitude;
}

} // namespace RVCoordinateValue
