#include "clip/RVClipEngines.h"

#include <algorithm>

RVClipPace::RVClipPace(const RVClipRequest& request, const RVClipProgress& progress)
    : m_progress(progress), m_from(request.fromSeconds),
      m_length(std::max(1e-6, request.toSeconds - request.fromSeconds))
{}

void RVClipPace::reached(double tripSeconds)
{
    if (!m_progress)
        return;
    const auto now = Clock::now();
    if (now - m_lastReport < std::chrono::milliseconds(200))
        return;
    m_lastReport = now;
    const double fraction = std::clamp((tripSeconds - m_from) / m_length, 0.0, 1.0);
    const double elapsed = std::chrono::duration<double>(now - m_start).count();
    // The first second's rate says little (files opening, encoders warming up).
    const double left =
        fraction > 0.01 && elapsed > 1.0 ? elapsed * (1 - fraction) / fraction : -1.0;
    m_progress(fraction, left);
}

QString sourceViewPath(const RVClipRequest& request, std::size_t index, int view)
{
    const QStringList& paths = request.sources[index].viewPaths;
    return view >= 0 && view < paths.size() ? paths[view] : QString();
}
