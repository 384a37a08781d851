#include "library/RVTripTimeline.h"

#include <algorithm>

namespace {
// A time this close before a join is the join: a fraction of the trip's length times the
// length comes back a rounding step short of the start it was made from.
constexpr double kJoinTolerance = 1e-6;
} // namespace

RVTripTimeline::RVTripTimeline(const RVVideoFileList& files)
{
    // Each length is widened to double before adding, so the starts do not drift on long trips.
    double start = 0.0;
    for (const RVVideoFilePtr& file : files) {
        const double length = file ? std::max(0.0, double(file->knownDuration())) : 0.0;
        m_paths.push_back(file ? file->filePath() : QString());
        m_starts.push_back(start);
        m_lengths.push_back(length);
        start += length;
    }
}

QString RVTripTimeline::path(std::size_t index) const
{
    return index < m_paths.size() ? m_paths[index] : QString();
}

double RVTripTimeline::start(std::size_t index) const
{
    return index < m_starts.size() ? m_starts[index] : 0.0;
}

double RVTripTimeline::length(std::size_t index) const
{
    return index < m_lengths.size() ? m_lengths[index] : 0.0;
}

std::optional<std::size_t> RVTripTimeline::indexOf(const QString& path) const
{
    const auto found = std::find(m_paths.begin(), m_paths.end(), path);
    if (found == m_paths.end())
        return std::nullopt;
    return std::size_t(found - m_paths.begin());
}

std::optional<RVTripTimeline::Place> RVTripTimeline::locate(double tripSeconds) const
{
    if (m_paths.empty())
        return std::nullopt;
    // The last file with a length that starts at or before the time; at the trip's end that is
    // the one ending there.
    std::optional<std::size_t> found;
    std::optional<std::size_t> last;
    for (std::size_t k = 0; k < m_paths.size(); ++k) {
        if (!(m_lengths[k] > 0.0))
            continue;
        last = k;
        if (!found || m_starts[k] <= tripSeconds + kJoinTolerance)
            found = k;
    }
    if (!found)
        return Place{0, 0.0}; // no file has a length: the first is all there is
    if (tripSeconds >= duration())
        found = last;
    const std::size_t k = *found;
    return Place{k, std::clamp(tripSeconds - m_starts[k], 0.0, m_lengths[k])};
}

std::optional<std::size_t> RVTripTimeline::next(std::size_t index) const
{
    if (index + 1 < m_paths.size())
        return index + 1;
    return std::nullopt;
}

std::optional<std::size_t> RVTripTimeline::previousWithLength(std::size_t index) const
{
    for (std::size_t k = std::min(index, m_paths.size()); k-- > 0;) {
        if (m_lengths[k] > 0.0)
            return k;
    }
    return std::nullopt;
}
