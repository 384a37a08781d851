#pragma once

// E-ACE B44's freeGPS blocks: coordinates as plain or encrypted texts (see the .cpp).

#include "metadata/freegps/RVFreeGps.h"

namespace RVFreeGpsLucky {
bool matches(std::string_view block);
RVFreeGps::Block decode(std::string_view block);
} // namespace RVFreeGpsLucky
