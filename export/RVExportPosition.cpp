#include "export/RVExportPosition.h"

#include "metadata/RVGpsProcessor.h"

#include <cmath>

namespace {

// Digits, sign and point only, and short: such a text is always a finite number, so the
// common six-decimal texts need no parsing here.
bool isPlainDecimal(std::string_view text)
{
    if (text.size() > 64)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+'))
            return false;
    }
    return true;
}

} // namespace

bool RVExportPosition::isUsable(const RVPoint& point)
{
    if (RVGpsProcessor::isZeroPoint(point))
        return false;
    return (isPlainDecimal(point.latitudeText()) || std::isfinite(point.latitudeValue())) &&
           (isPlainDecimal(point.longitudeText()) || std::isfinite(point.longitudeValue()));
}
