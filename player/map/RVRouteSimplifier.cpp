#include "player/map/RVRouteSimplifier.h"

#include "player/map/RVTwoHalves.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double kMetresPerDegree = 111320.0;
// The line is thinned in runs of this many points that share their end points. Douglas-Peucker
// splits at the farthest point, which costs n^2 for a run that peels one point at a time (a
// spiral); runs bound that, and add only one kept point per run.
constexpr std::size_t kRunPoints = 1024;
// Routes of at least this many runs are thinned on two threads (a day's 10 Hz track is 844).
constexpr std::size_t kParallelRuns = 64;

struct Projected
{
    double x; // metres east of the run's first point
    double y; // metres north
};

// Squared distance in metres^2 from p to the segment a-b.
double squaredDistanceToSegment(Projected p, Projected a, Projected b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = 0;
    if (length2 > 0)
        t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0);
    const double ex = a.x + t * dx - p.x;
    const double ey = a.y + t * dy - p.y;
    return ex * ex + ey * ey;
}

// Marks the points between first and last that the line must pass through; the run's ends
// are the caller's.
void simplifyRun(std::span<const double> latitudes, std::span<const double> longitudes,
                 std::size_t first, std::size_t last, double tolerance2,
                 std::vector<Projected>& projected, std::vector<char>& keep)
{
    // A local flat projection: within a run (a kilometre or two) the earth's curvature is far
    // below the tolerance.
    const double metresPerDegreeEast =
        kMetresPerDegree * std::cos(latitudes[first] * (3.14159265358979323846 / 180.0));
    projected.resize(last - first + 1);
    for (std::size_t i = first; i <= last; ++i) {
        double dLon = longitudes[i] - longitudes[first];
        if (dLon > 180)
            dLon -= 360; // a run across the antimeridian stays one piece
        else if (dLon < -180)
            dLon += 360;
        projected[i - first] = {dLon * metresPerDegreeEast,
                                (latitudes[i] - latitudes[first]) * kMetresPerDegree};
    }
    std::vector<std::pair<std::size_t, std::size_t>> stack{{first, last}};
    while (!stack.empty()) {
        const auto [a, b] = stack.back();
        stack.pop_back();
        double farthest = -1;
        std::size_t split = a;
        for (std::size_t i = a + 1; i < b; ++i) {
            const double d = squaredDistanceToSegment(projected[i - first], projected[a - first],
                                                      projected[b - first]);
            if (d > farthest) {
                farthest = d;
                split = i;
            }
        }
        // Also splits at a NaN distance (a coordinate that is no number) rather than dropping it.
        if (split > a && !(farthest <= tolerance2)) {
            keep[split] = 1;
            stack.emplace_back(a, split);
            stack.emplace_back(split, b);
        }
    }
}

} // namespace

std::vector<std::size_t> RVRouteSimplifier::simplify(std::span<const double> latitudes,
                                                     std::span<const double> longitudes,
                                                     double toleranceMetres)
{
    const std::size_t n = std::min(latitudes.size(), longitudes.size());
    std::vector<std::size_t> kept;
    if (n <= 2 || !(toleranceMetres > 0)) {
        for (std::size_t i = 0; i < n; ++i)
            kept.push_back(i);
        return kept;
    }
    std::vector<char> keep(n, 0);
    const double tolerance2 = toleranceMetres * toleranceMetres;
    const std::size_t runs = (n - 1 + kRunPoints - 1) / kRunPoints;
    const auto thin = [&](std::size_t fromRun, std::size_t toRun) {
        std::vector<Projected> projected;
        for (std::size_t run = fromRun; run < toRun; ++run) {
            const std::size_t first = run * kRunPoints;
            simplifyRun(latitudes, longitudes, first, std::min(first + kRunPoints, n - 1),
                        tolerance2, projected, keep);
        }
    };
    // Runs mark only the points inside them, so two threads never write the same flag.
    runInTwoHalves(runs, kParallelRuns, thin);
    for (std::size_t first = 0; first < n; first += kRunPoints)
        keep[first] = 1;
    keep[n - 1] = 1;
    for (std::size_t i = 0; i < n; ++i) {
        if (keep[i])
            kept.push_back(i);
    }
    return kept;
}
