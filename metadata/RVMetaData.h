#pragma once

#include "metadata/RVPoint.h"
#include "metadata/RVSensorData.h"

#include <QString>
#include <QStringList>

#include <vector>

// What dates a recording, best first: a fix's own date and time, the camera's name for the
// recording (its clock, corrected by the card's rule), the file's modification time.
enum class RVTimeSource
{
    Gps,
    Name,
    File
};

// "gps", "name", "file".
inline const char* timeSourceName(RVTimeSource source)
{
    switch (source) {
    case RVTimeSource::Gps:
        return "gps";
    case RVTimeSource::Name:
        return "name";
    case RVTimeSource::File:
        break;
    }
    return "file";
}

// Everything read for one video file. velocityData (km/h) has one entry per point, entry i
// belonging to point i; it, not the points' own velocity, is the speed series shown and
// graphed. relatedFiles are side files deleted together with the recording. cameraModel names
// the camera when the recording says so (BlackVue's "cprt" box), empty when unknown; it is
// only shown. localClock is set when the camera wrote its clock's local time where the
// records say UTC (some firmware does after a cold start): the times are kept as written, and
// the card's clock rule decides the zone. pointTimes says where the points' times come from:
// the fixes themselves, or the recording's name for records that carry no date.
struct RVMetaData final
{
    RVTimeSource pointTimes = RVTimeSource::Gps;
    std::vector<RVPoint> points;
    std::vector<RVSensorData> gSensorData;
    std::vector<double> velocityData;
    QStringList relatedFiles;
    QString cameraModel;
    bool localClock = false;
};
