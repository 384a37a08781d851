#pragma once

// Nextbase 512G's big-endian binary records in freeGPS blocks (see the .cpp).

#include "metadata/freegps/RVFreeGps.h"

namespace RVFreeGpsNextbase {
bool matchesBinary(std::string_view block);
RVFreeGps::Block decodeBinary(std::string_view block);
} // namespace RVFreeGpsNextbase
