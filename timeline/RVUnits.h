#pragma once

// The measurement system of the graphs and read-outs, chosen in the units menu and kept in
// the settings under "MEASUREMENT_SYSTEM": "British" selects miles per hour and feet, any other
// text (or none) metric.
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

    // Kilometres in a statute mile: British speeds are miles per hour.
    static constexpr double kKmhPerMile = 1.609344;

    // Factors that turn metres and km/h into the system's units: feet by the single-precision
    // value of 1/0.305, widened to double, and mph by 1/1.609344. Graphs and read-outs both
    // use them, so they show the same numbers.
    static double altitudeFactor(RVMeasurementSystem system);
    static double speedFactor(RVMeasurementSystem system);
};
