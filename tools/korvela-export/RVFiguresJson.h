#pragma once

#include "library/RVEvent.h"
#include "library/RVTripStats.h"
#include "metadata/RVMetaData.h"

#include <vector>

class RVJsonWriter;

// The events and figures of a recording or trip, as both formats write them:
//
//   "events":[{"time":"2026-05-16T18:45:02.000Z"|null,"seconds":2.0|null,"kind":"hard-braking",
//              "strength":0.71|null,"latitude":38.71|null,"longitude":-9.14|null},
//             {"time":…,"seconds":…,"kind":"saved","strength":null,"reason":"…","city":"…",
//              "latitude":…,"longitude":…},…]|null
//   "stats":{"distanceMetres":431.2,"drivingSeconds":32.5,"stoppedSeconds":4.0,
//            "topSpeedKmh":57.1|null,"averageMovingSpeedKmh":47.8|null,
//            "start":{"time":"…","latitude":38.72,"longitude":-9.13}|null,"end":…|null}|null
//
// Events are in the order of their seconds, which count from the start of the node's first
// file. strength is in g, km/h for over-speed (kinds: see eventKindName). A moment the camera
// described itself (kind "saved" or "sentry", with its reason and place) stands for the
// camera's mark of that file, which says less; its seconds come from its time. null where
// nothing was computed or known.
struct RVDescribedEvents final
{
    std::vector<RVCameraEvent> events; // as the camera described them
    RVTimestamp fileStart;             // wall clock of the file's first frame
    double fileStartSeconds = 0;       // where the file starts in the node's time
};

// describedPerFile has one entry per file of the node (or none at all).
void writeEvents(RVJsonWriter& json, const RVEventSeries& found,
                 const std::vector<RVDescribedEvents>& describedPerFile);
void writeStats(RVJsonWriter& json, const RVTripStatsPtr& stats);
