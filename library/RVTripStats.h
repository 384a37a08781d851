#pragma once

#include "metadata/RVPoint.h"

#include <memory>
#include <optional>
#include <vector>

// Where and when a drive starts or ends.
struct RVTripPlace final
{
    RVTimestamp time;
    double latitude = 0; // decimal degrees
    double longitude = 0;
};

// The figures of one recording or trip, from its track. A fix counts when it has a position
// and a time.
struct RVTripStats final
{
    // Great-circle, between fixes a car can reach from the last, while it moved: a standing
    // car's wandering fixes add nothing.
    double distanceMetres = 0;
    double drivingSeconds = 0;        // time between fixes while the car moved
    double stoppedSeconds = 0;        // time between fixes while it stood
    double topSpeedKmh = 0;           // NaN when no speed was recorded
    double averageMovingSpeedKmh = 0; // distance over driving time; NaN when never moving
    std::optional<RVTripPlace> start;
    std::optional<RVTripPlace> end;
};

// Published like the series: null means "not computed yet".
using RVTripStatsPtr = std::shared_ptr<const RVTripStats>;

// The figures of one track; speeds are km/h, one per point (shorter or absent: the speed
// between the fixes stands in).
RVTripStats computeTripStats(const std::vector<RVPoint>& points, const std::vector<double>& speeds);

// The great-circle distance in metres between two positions in decimal degrees (haversine,
// on the mean earth radius).
double greatCircleMetres(double latitude1, double longitude1, double latitude2, double longitude2);

// A trip's figures from its files' figures, in the files' order. Null entries count as none.
RVTripStats joinTripStats(const std::vector<RVTripStatsPtr>& perFile);
