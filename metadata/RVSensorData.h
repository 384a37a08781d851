#pragma once

#include "metadata/RVSensorLabel.h"

// One G-sensor sample: accelerations in g along the camera's axes and their magnitude
// (common = sqrt(x² + y² + z²), computed by whoever makes the sample). As read, the axes carry
// the reader's scaling; after dispatch they are deviations from the recording's medians.
// A plain value type of 48 bytes.
class RVSensorData final
{
public:
    RVSensorData() = default;
    RVSensorData(double x, double y, double z, double common, RVSensorLabel time)
        : m_x(x), m_y(y), m_z(z), m_common(common), m_time(time)
    {}

    double x() const { return m_x; }
    double y() const { return m_y; }
    double z() const { return m_z; }
    double common() const { return m_common; }
    RVSensorLabel time() const { return m_time; }
    void setX(double g) { m_x = g; }
    void setY(double g) { m_y = g; }
    void setZ(double g) { m_z = g; }
    void setCommon(double g) { m_common = g; }
    void setTime(RVSensorLabel time) { m_time = time; }

private:
    double m_x = 0;
    double m_y = 0;
    double m_z = 0;
    double m_common = 0;
    RVSensorLabel m_time;
};

static_assert(sizeof(RVSensorData) == 48);
