#include "timeline/RVClipMarks.h"

#include <algorithm>
#include <cmath>

void RVClipMarks::reset(double durationSeconds)
{
    m_duration = std::isfinite(durationSeconds) ? std::max(0.0, durationSeconds) : 0.0;
    clear();
}

double RVClipMarks::clamp(double seconds) const
{
    // A time that is not a number (a trip of no length) lands on the start.
    return std::isfinite(seconds) ? std::clamp(seconds, 0.0, m_duration) : 0.0;
}

void RVClipMarks::set(RVClipMark mark, double tripSeconds)
{
    // Nothing to mark in a trip of no length.
    if (m_duration <= 0)
        return;
    const double t = clamp(tripSeconds);
    if (mark == RVClipMark::In) {
        m_in = t;
        if (m_out && *m_out - t < kMinimumSeconds)
            m_out.reset();
    } else {
        m_out = t;
        if (m_in && t - *m_in < kMinimumSeconds)
            m_in.reset();
    }
}

void RVClipMarks::drag(RVClipMark mark, double tripSeconds)
{
    if (m_duration <= 0 || !at(mark))
        return;
    double t = clamp(tripSeconds);
    if (mark == RVClipMark::In) {
        if (m_out)
            t = std::min(t, std::max(0.0, *m_out - kMinimumSeconds));
        m_in = t;
    } else {
        if (m_in)
            t = std::max(t, std::min(m_duration, *m_in + kMinimumSeconds));
        m_out = t;
    }
}

std::optional<std::pair<double, double>> RVClipMarks::range() const
{
    if (isEmpty())
        return std::nullopt;
    return std::pair(m_in.value_or(0.0), m_out.value_or(m_duration));
}

std::optional<double> RVClipMarks::fraction(RVClipMark mark) const
{
    const std::optional<double> t = at(mark);
    if (!t || m_duration <= 0)
        return std::nullopt;
    return *t / m_duration;
}
