#pragma once

#include "library/RVTripStats.h"
#include "timeline/RVUnits.h"

#include <QString>
#include <QStringList>

// A recording's or trip's figures as the file list shows them, in the user's units:
// kilometres and km/h, or miles and mph.
class RVTripFiguresText final
{
public:
    RVTripFiguresText() = delete;

    // "12.3 km", "7.6 mi"; empty when the track had no fix (nothing was measured).
    static QString distance(const RVTripStats& stats, RVMeasurementSystem system);
    // The rest, one line each: driving and stopped time, top and average moving speed (when
    // known), and where and when the drive started and ended. None without a fix.
    static QStringList toolTipLines(const RVTripStats& stats, RVMeasurementSystem system);
    // A day's summary, one line each: its trips (recordings outside a trip count as one), the
    // distance and the driving time they add up to.
    static QStringList dayLines(int trips, double metres, double drivingSeconds,
                                RVMeasurementSystem system);
    // Seconds as "m:ss", or "h:mm:ss" from an hour on.
    static QString span(double seconds);
    // "54 km/h", "34 mph"; empty for NaN.
    static QString speed(double kmh, RVMeasurementSystem system);
};
