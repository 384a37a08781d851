#pragma once

#include "library/RVEvent.h"
#include "library/RVTripStats.h"

class RVJsonWriter;

// The events and figures of a recording or trip, as both formats write them:
//
//   "events":[{"time":"2026-05-16T18:45:02.000Z"|null,"seconds":2.0,"kind":"hard-braking",
//              "strength":0.71|null,"latitude":38.71|null,"longitude":-9.14|null},…]|null
//   "stats":{"distanceMetres":431.2,"drivingSeconds":32.5,"stoppedSeconds":4.0,
//            "topSpeedKmh":57.1|null,"averageMovingSpeedKmh":47.8|null,
//            "start":{"time":"…","latitude":38.72,"longitude":-9.13}|null,"end":…|null}|null
//
// seconds count from the start of the node's first file; strength is in g, km/h for
// over-speed (kinds: see eventKindName). null where nothing was computed or known.
void writeEvents(RVJsonWriter& json, const RVEventSeries& events);
void writeStats(RVJsonWriter& json, const RVTripStatsPtr& stats);
