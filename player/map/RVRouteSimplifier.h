#pragma once

#include <cstddef>
#include <span>
#include <vector>

// Thins a route for drawing: keeps the points a line must pass through so that no dropped
// point lies farther than the tolerance from the line drawn (Douglas-Peucker). A day's 10 Hz
// track is close to a million points, far more than a map can show; a curve driven at 10 Hz
// keeps about one point in thirty at half a metre. Only the drawn line is thinned: the car
// marker and route clicks use every point.
class RVRouteSimplifier final
{
public:
    // Degrees in, one pair per point. The result lists the kept points' indices in order,
    // always with the first and the last; a tolerance of 0 keeps every point. A long route
    // is thinned on two threads.
    static std::vector<std::size_t> simplify(std::span<const double> latitudes,
                                             std::span<const double> longitudes,
                                             double toleranceMetres);

    // Half a metre: under two pixels at the map's closest zoom, well below a GPS fix's error.
    static constexpr double kDefaultToleranceMetres = 0.5;
};
