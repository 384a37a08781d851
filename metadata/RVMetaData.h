#pragma once

#include "metadata/RVPoint.h"
#include "metadata/RVSensorData.h"

#include <QString>
#include <QStringList>

#include <vector>

// Everything read for one video file. velocityData (km/h) has one entry per point, entry i
// belonging to point i; it, not the points' own velocity, is the speed series shown and
// graphed. relatedFiles are side files deleted together with the recording. cameraModel names
// the camera when the recording says so (BlackVue's "cprt" box), empty when unknown; it is
// only shown.
struct RVMetaData final
{
    std::vector<RVPoint> points;
    std::vector<RVSensorData> gSensorData;
    std::vector<double> velocityData;
    QStringList relatedFiles;
    QString cameraModel;
};
