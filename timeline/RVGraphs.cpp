#include "timeline/RVGraphs.h"

#include "core/RVSettings.h"

#include <algorithm>

namespace {

constexpr double kBelowAnyValue = -1e10;

const std::array<RVGraphDescription, RVGraphs::kCount> kGraphs = {{
    {RVGraph::Velocity, RVSettings::kGraphsVelocityEnabled, "VELOCITY_TITLE", "menuItemVelocity",
     RVGraphUnit::Speed, kBelowAnyValue, RVGraphSeries::Velocity, nullptr},
    {RVGraph::Altitude, RVSettings::kGraphsAltitudeEnabled, "ALTITUDE_TITLE", "menuItemAltitude",
     RVGraphUnit::Altitude, kBelowAnyValue, RVGraphSeries::Points, nullptr},
    {RVGraph::GSensorCommon, RVSettings::kGraphsGSensorCommonEnabled, "GSENSOR_TITLE",
     "menuItemGSensorCommon", RVGraphUnit::Acceleration, 100, RVGraphSeries::GSensor,
     [](const RVSensorData& s) { return s.common(); }},
    {RVGraph::GSensorX, RVSettings::kGraphsGSensorXEnabled, "GSENSOR_X_TITLE", "menuItemGSensorX",
     RVGraphUnit::Acceleration, 0, RVGraphSeries::GSensor,
     [](const RVSensorData& s) { return s.x(); }},
    {RVGraph::GSensorY, RVSettings::kGraphsGSensorYEnabled, "GSENSOR_Y_TITLE", "menuItemGSensorY",
     RVGraphUnit::Acceleration, 0, RVGraphSeries::GSensor,
     [](const RVSensorData& s) { return s.y(); }},
    {RVGraph::GSensorZ, RVSettings::kGraphsGSensorZEnabled, "GSENSOR_Z_TITLE", "menuItemGSensorZ",
     RVGraphUnit::Acceleration, 0, RVGraphSeries::GSensor,
     [](const RVSensorData& s) { return s.z(); }},
}};

} // namespace

const std::array<RVGraphDescription, RVGraphs::kCount>& RVGraphs::all()
{
    return kGraphs;
}

const RVGraphDescription& RVGraphs::describe(RVGraph graph)
{
    return *std::find_if(kGraphs.begin(), kGraphs.end(),
                         [graph](const RVGraphDescription& d) { return d.graph == graph; });
}
