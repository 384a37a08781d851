#pragma once

#include "library/RVVideoFile.h"

#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

// A trip's time line: its recordings back to back, no holes, each starting where the one
// before ends. A recording whose length is unknown (it could not be read) takes no time and is
// never the place of a trip time while a recording with a length can be.
//
// A plain value, made once when a trip starts playing; it knows nothing of what is playing.
class RVTripTimeline final
{
public:
    // Where a trip time falls: file `index`, `fileSeconds` into it.
    struct Place
    {
        std::size_t index = 0;
        double fileSeconds = 0.0;
    };

    RVTripTimeline() = default;
    explicit RVTripTimeline(const RVVideoFileList& files);

    bool isEmpty() const { return m_paths.empty(); }
    // Seconds: the sum of the known lengths.
    double duration() const { return m_paths.empty() ? 0.0 : m_starts.back() + m_lengths.back(); }
    // File `index`'s path, start on the trip's time line and known length (0 when unknown).
    // Out of range: empty and 0.
    QString path(std::size_t index) const;
    double start(std::size_t index) const;
    double length(std::size_t index) const;
    std::optional<std::size_t> indexOf(const QString& path) const;

    // The file a trip time falls in. A time exactly at a join is the first frame of the file
    // that starts there (also a time a rounding step short of it); only the trip's end belongs
    // to the file that ends there. Times before the start or past the end land on the trip's
    // ends. Nothing for an empty trip.
    std::optional<Place> locate(double tripSeconds) const;
    // The file after `index` (whatever its length: one that cannot be read is still tried),
    // and the closest one before it with a known length.
    std::optional<std::size_t> next(std::size_t index) const;
    std::optional<std::size_t> previousWithLength(std::size_t index) const;

private:
    std::vector<QString> m_paths;
    std::vector<double> m_starts;
    std::vector<double> m_lengths;
};
