#pragma once

// "LIGOGPSINFO" freeGPS blocks: scrambled or plain text records (see the .cpp).

#include "metadata/freegps/RVFreeGps.h"

#include <optional>
#include <string>

namespace RVFreeGpsLigo {
bool matches(std::string_view block);
RVFreeGps::Block decode(std::string_view block);
// A "####" record (0x84 bytes) unscrambled: a u32 counter, then the text; nothing when the
// steering bytes do not add up (a record in the cipher form).
std::optional<std::string> unscramble(std::string_view record);
} // namespace RVFreeGpsLigo
