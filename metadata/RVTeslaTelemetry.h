#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// One video frame's telemetry as Tesla cars write it into the H.264 stream (see the .cpp).
struct RVTeslaFrame final
{
    std::uint32_t version = 0;
    std::uint32_t gear = 0; // 0 park, 1 drive, 2 reverse, 3 neutral
    std::uint64_t frameNumber = 0;
    double speedMetresPerSecond = 0;
    double acceleratorPedal = 0; // as the car writes it, 0 when released
    double steeringAngleDegrees = 0;
    bool blinkerLeft = false;
    bool blinkerRight = false;
    bool brakeApplied = false;
    std::uint32_t autopilotState = 0; // 0 none, 1 self-driving, 2 autosteer, 3 cruise control
    double latitude = 0;              // degrees
    double longitude = 0;             // degrees
    double headingDegrees = 0;
    double accelerationX = 0, accelerationY = 0, accelerationZ = 0; // m/s²
};

namespace RVTeslaTelemetry {

// The telemetry of one NAL unit (without its length prefix); nothing when the unit is not the
// car's telemetry message or does not decode.
std::optional<RVTeslaFrame> readNalUnit(std::string_view nal);
// The message itself, after the SEI framing; nothing when it does not decode.
std::optional<RVTeslaFrame> readMessage(std::string_view message);

} // namespace RVTeslaTelemetry
