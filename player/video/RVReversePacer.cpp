#include "player/video/RVReversePacer.h"

#include <algorithm>
#include <cmath>

namespace {
// Frame times are stored in containers with rounding; a millisecond covers it at any frame rate.
constexpr double kTimeEpsilon = 0.001;
} // namespace

void RVReversePacer::start(double positionSeconds, double rate, double nowSeconds)
{
    m_anchorPosition = std::max(0.0, positionSeconds);
    m_anchorWall = nowSeconds;
    m_rate = rate < 0.0 ? rate : -1.0;
}

void RVReversePacer::setFrameDuration(double seconds)
{
    m_frameDuration = (seconds > 0.0 && std::isfinite(seconds)) ? seconds : 1.0 / 30.0;
}

double RVReversePacer::idealPosition(double nowSeconds) const
{
    return std::max(0.0, m_anchorPosition + m_rate * (nowSeconds - m_anchorWall));
}

std::optional<double> RVReversePacer::stepTarget(double shownSeconds, double nowSeconds) const
{
    // The first frame is on screen: nothing earlier to show.
    if (shownSeconds <= m_frameDuration / 2.0)
        return std::nullopt;
    const double ideal = idealPosition(nowSeconds);
    // The frame on screen covers [shown, shown + frame); step only once the ideal position has
    // left that interval for an earlier frame (or reached the start).
    if (ideal > shownSeconds - m_frameDuration + kTimeEpsilon && ideal > kTimeEpsilon)
        return std::nullopt;
    // The frame whose display interval holds the ideal position.
    const double frameIndex = std::floor(ideal / m_frameDuration + kTimeEpsilon);
    double target = std::max(0.0, frameIndex * m_frameDuration);
    if (target > shownSeconds - m_frameDuration / 2.0)
        target = std::max(0.0, shownSeconds - m_frameDuration);
    return target;
}

double RVReversePacer::nextStepDue(double shownSeconds) const
{
    // ideal(t) = anchor + rate * (t - wall) reaches the previous frame (or the start) then.
    const double due = std::max(0.0, shownSeconds - m_frameDuration);
    return m_anchorWall + (due - m_anchorPosition) / m_rate;
}

bool RVReversePacer::reachedStart(double shownSeconds, double nowSeconds) const
{
    return shownSeconds <= m_frameDuration / 2.0 && idealPosition(nowSeconds) <= kTimeEpsilon;
}
