#include "timeline/RVUnits.h"

#include <QSettings>
#include <QString>

RVMeasurementSystem RVUnits::storedSystem()
{
    const QSettings settings;
    return settings.value(QStringLiteral("MEASUREMENT_SYSTEM")).toString() ==
                   QLatin1String("British")
               ? RVMeasurementSystem::British
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
