#pragma once

#include "core/RVTimestamp.h"

#include <QString>

#include <memory>
#include <vector>

// What makes a moment worth finding.
enum class RVEventKind
{
    CameraEvent,         // the camera kept the recording as an event (impact, protected folder)
    CameraManual,        // the driver pressed the camera's event button
    CameraParkingImpact, // the parked car was knocked
    CameraOverSpeed,     // the camera's own speed alarm
    Impact,              // a jolt above the impact threshold
    HardBraking,         // felt deceleration while the speed drops
    HardAcceleration,    // felt acceleration while the speed rises
    SharpTurn,           // felt acceleration while the speed holds: it is sideways
    HarshDriving,        // felt acceleration with no speed to say which way
    OverSpeed            // faster than the limit the user set
};

// Stable names used in exports and settings: "camera-event", "impact", "hard-braking", ...
QString eventKindName(RVEventKind kind);

// One event of a node. Times are placed the way the slider and the graphs place the series:
// sample i of n in a recording of d seconds is at i * d / n from the recording's start.
struct RVEvent final
{
    RVEventKind kind = RVEventKind::CameraEvent;
    // From the start of the node's first file (trip time for a trip).
    double seconds = 0;
    // The peak: g for G-sensor kinds (the felt acceleration, smoothed except for impacts),
    // km/h for over-speed, the recording's peak g for camera kinds; NaN when nothing measured.
    double strength = 0;
    // The wall-clock time (the recording's start plus the offset); invalid when unknown.
    RVTimestamp time;
    // Where the car was: the track point at that moment; NaN when it had no fix.
    double latitude = 0;
    double longitude = 0;
    // Which file of the node holds it (0 for a single recording).
    int fileIndex = 0;
};

// A node's events as published: null means "not computed yet", empty "none found". Sorted by
// seconds.
using RVEventSeries = std::shared_ptr<const std::vector<RVEvent>>;
