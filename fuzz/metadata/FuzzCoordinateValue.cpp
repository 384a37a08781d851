// The direct coordinate reader against the full number reader: every text must read the same.
#include "core/RVNumber.h"
#include "fuzz/FuzzInput.h"
#include "metadata/RVCoordinateValue.h"

#include <cmath>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzzText(data, size);
    const double direct = RVCoordinateValue::value(text);
    const double full = RVNumber::leadingValue(text);
    // Bit for bit (NaN only where both are NaN).
    if (std::memcmp(&direct, &full, sizeof direct) != 0 &&
        !(std::isnan(direct) && std::isnan(full)))
        __builtin_trap();
    return 0;
}
