#pragma once

// The measurement system of the graphs and read-outs, chosen in the units menu and kept in
// the settings under "MEASUREMENT_SYSTEM": "British" selects knots and feet, any other text
// (or none) metric.
enum class RVMeasurementSystem
{
    Metric,
    British,
};

class RVUnits final
{
public:
    RVUnits() = delete;

    // The system stored in the settings now.
    static RVMeasurementSystem storedSystem();

    // Factors that turn metres and km/h into the system's units. The British ones are the
    // single-precision values of 1/0.305 (metres to feet) and 1/1.852 (km/h to knots),
    // widened to double, so that graphs show the same numbers as the read-outs.
    static double altitudeFactor(RVMeasurementSystem system);
    static double speedFactor(RVMeasurementSystem system);
};
