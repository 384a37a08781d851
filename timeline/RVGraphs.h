#pragma once

#include "metadata/RVSensorData.h"

#include <array>

// The six graphs of the time slider. The value is the graph's tag in the graphs menu and its
// index in every list of graph flags.
enum class RVGraph
{
    Velocity,
    GSensorCommon,
    GSensorX,
    GSensorY,
    GSensorZ,
    Altitude,
};

// What a graph's values are measured in: the units menu picks how speeds and altitudes show.
enum class RVGraphUnit
{
    Acceleration, // g
    Altitude,     // metres or feet
    Speed,        // km/h or mph
};

// The trip's series a graph draws.
enum class RVGraphSeries
{
    GSensor,  // the samples, by sensorValue
    Points,   // the track points' altitudes
    Velocity, // the speeds
};

// Everything the menu, the settings and the slider know of one graph.
struct RVGraphDescription
{
    RVGraph graph;
    const char* settingsKey;  // bool: whether it is shown (declared in RVSettings)
    const char* titleId;      // its title's translation id
    const char* menuItemName; // the object name of its graphs menu item
    RVGraphUnit unit;
    // 0 scales symmetrically around zero (the acceleration axes); other values scale from the
    // lowest to the highest value, and -1e10 lies below any real value so it is never drawn.
    double middleLine;
    RVGraphSeries series;
    // The value of one sample, for the G-sensor graphs; null for the others.
    double (*sensorValue)(const RVSensorData& sample);
};

namespace RVGraphs {

constexpr int kCount = 6;

// The graphs in the graphs menu's order, top first. The slider stacks them the other way
// round: the last is the lowest band, and the first to make way when there is no room.
const std::array<RVGraphDescription, kCount>& all();
const RVGraphDescription& describe(RVGraph graph);

} // namespace RVGraphs
