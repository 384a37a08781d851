#include "metadata/writers/RVExportPosition.h"

#include <cmath>

namespace {

// Digits, sign and point only, and short: such a text is always a finite number, so the
// common six-decimal texts need no parsing here.
bool isPlainDecimal(std::string_view text)
{
    if (text.size() > RVExportPosition::kPlainMaxLength)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+'))
            return false;
    }
    return true;
}

} // namespace

bool RVExportPosition::hasPlainCoordinates(const RVPoint& point)
{
    return isPlainDecimal(point.latitudeText()) && isPlainDecimal(point.longitudeText());
}

bool RVExportPosition::hasFiniteCoordinates(const RVPoint& point)
{
    return std::isfinite(point.latitudeValue()) && std::isfinite(point.longitudeValue());
}
