#pragma once

#include <cstddef>
#include <vector>

// Calls run(begin, end) for each run of fixes in a track's latitudes, end exclusive. A latitude
// of 0 (after rounding to float, as the page gets it) is no position and breaks the line.
template <typename Run>
void forEachFixRun(const std::vector<double>& latitudes, std::size_t n, Run&& run)
{
    float previous = 0;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const float latitude = float(latitudes[i]);
        if (latitude != 0 && previous == 0)
            runStart = i;
        else if (latitude == 0 && previous != 0)
            run(runStart, i);
        previous = latitude;
    }
    if (previous != 0)
        run(runStart, n);
}
