#pragma once

#include "metadata/RVPoint.h"
#include "metadata/RVSensorData.h"

#include <QString>
#include <QStringList>

#include <limits>
#include <utility>
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

// A moment the camera itself marked, with what it said about it (Tesla's event.json).
struct RVCameraEvent final
{
    RVTimestamp time; // invalid when the camera gave none that could be read
    QString kind;     // "saved" (by the driver), "sentry" (by the parked car's watch)
    QString reason;   // as the camera wrote it: "user_interaction_dashcam_icon_tapped", ...
    QString city;     // nearest place, as the camera wrote it; may be empty
    double latitude = std::numeric_limits<double>::quiet_NaN(); // degrees, NaN when unknown
    double longitude = std::numeric_limits<double>::quiet_NaN();
};

// Everything read for one video file. velocityData (km/h) has one entry per point, entry i
// belonging to point i; it, not the points' own velocity, is the speed series shown and
// graphed. relatedFiles are side files deleted together with the recording. cameraModel names
// the camera when the recording says so (BlackVue's "cprt" box), empty when unknown; it is
// only shown. localClock is set when the camera wrote its clock's local time where the
// records say UTC (Kenwood's firmware, Novatek's transport streams): the readers keep the times
// as written and the dispatcher reads them by the card's clock rule, as the names are read.
// pointTimes says where the points' times come from: the fixes themselves, or the recording's name
// for records that carry no date. events are the moments the camera marked within the recording.
// extraSeries are further readings a car records with every point (steering angle, pedals, driver
// assistance), each named and holding one value per point (NaN where unknown), for the graphs.
struct RVMetaData final
{
    RVTimeSource pointTimes = RVTimeSource::Gps;
    std::vector<RVPoint> points;
    std::vector<RVSensorData> gSensorData;
    std::vector<double> velocityData;
    QStringList relatedFiles;
    QString cameraModel;
    bool localClock = false;
    std::vector<RVCameraEvent> events;
    std::vector<std::pair<QString, std::vector<double>>> extraSeries;
};
