#include "timeline/RVGraphScale.h"

#include <cmath>

namespace {

// Above this the marks are left out: a corrupt file's values, not a driver's.
constexpr double kLargestRounded = 1e7;
// Steps and bounds are compared with this much slack for decimal fractions (0.1 + 0.2).
constexpr double kSlack = 1e-9;

// The smallest step of 1, 2, 2.5 or 5 times a power of ten that is at least `raw` (> 0).
double roundStep(double raw)
{
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 2.5, 5.0}) {
        if (factor * magnitude >= raw * (1 - kSlack))
            return factor * magnitude;
    }
    return 10 * magnitude;
}

} // namespace

RVGraphScale RVGraphScale::of(double minimum, double maximum, bool symmetric)
{
    const bool roundable = std::isfinite(minimum) && std::isfinite(maximum) &&
                           std::abs(minimum) < kLargestRounded &&
                           std::abs(maximum) < kLargestRounded && minimum <= maximum;
    if (!roundable)
        return {minimum, maximum, 0};
    if (symmetric) {
        const double extent = std::max(std::abs(minimum), std::abs(maximum));
        const double step = roundStep(extent > 0 ? extent : 0.5);
        return {-step, step, step};
    }
    const double range = maximum - minimum;
    if (!(range > 0)) {
        // A flat series: one step of about half its value (half a unit at zero) above it.
        const double step = roundStep(std::max(std::abs(maximum), 1.0) / 2);
        const double low = std::floor(minimum / step + kSlack) * step;
        return {low, low + step, step};
    }
    // Of the round steps giving at most three intervals, the one that wastes least of the
    // band; on a tie the larger (fewer marks): 0 .. 47 becomes 0 .. 50 in steps of 25.
    RVGraphScale best{minimum, maximum, 0};
    double step = roundStep(range / 3);
    for (int tries = 0; tries < 4; ++tries, step = roundStep(step * (1 + 10 * kSlack))) {
        const double low = std::floor(minimum / step + kSlack) * step;
        const double high = std::ceil(maximum / step - kSlack) * step;
        if (std::round((high - low) / step) > 3)
            continue;
        if (best.step == 0 || high - low <= (best.high - best.low) * (1 + kSlack))
            best = {low, high, step};
    }
    return best;
}

QString RVGraphScale::label(double value) const
{
    // As many decimals as the step has: 25 -> 0, 0.5 -> 1, 0.25 -> 2.
    int decimals = 0;
    for (double s = step; decimals < 6 && s > 0 && std::abs(s - std::round(s)) > kSlack * s;
         s *= 10)
        ++decimals;
    // Zero is "0" whatever the step, never "-0" or "0.0".
    if (std::abs(value) < step * kSlack || value == 0)
        return QStringLiteral("0");
    return QString::number(value, 'f', decimals);
}
