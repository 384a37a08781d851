#pragma once

#include "metadata/RVMetaData.h"
#include "tools/korvela-export/RVJsonWriter.h"

#include <vector>

// The moments a camera marked in a recording, as it described them, written as the json and
// tree formats list them under "events":
//   [{"time":"2024-05-01T10:34:56.000Z"|null,"kind":"saved"|"sentry","reason":"…",
//     "city":"…","latitude":37.4|null,"longitude":-122.1|null},…]
// Nothing at all is written for a recording without such moments.
void writeCameraEvents(RVJsonWriter& json, const std::vector<RVCameraEvent>& events);
