#include "timeline/RVUnits.h"

#include "core/RVSettings.h"

RVMeasurementSystem RVUnits::storedSystem()
{
    return RVSettings::isBritish(RVSettings::measurementSystem()) ? RVMeasurementSystem::British
                                                                  : RVMeasurementSystem::Metric;
}

double RVUnits::altitudeFactor(RVMeasurementSystem system)
{
    return system == RVMeasurementSystem::British ? 3.278688430786133 : 1.0;
}

double RVUnits::speedFactor(RVMeasurementSystem system)
{
    return system == RVMeasurementSystem::British ? 1.0 / kKmhPerMile : 1.0;
}
