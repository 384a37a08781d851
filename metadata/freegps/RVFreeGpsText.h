#pragma once

// The text layouts of freeGPS blocks: XORed, shifted, NMEA and labelled (see the .cpp).

#include "metadata/freegps/RVFreeGps.h"

namespace RVFreeGpsText {
bool matchesXor(std::string_view block);
RVFreeGps::Block decodeXor(std::string_view block);
bool matchesNextbaseText(std::string_view block);
RVFreeGps::Block decodeNextbaseText(std::string_view block);
bool matchesShiftedText(std::string_view block);
RVFreeGps::Block decodeShiftedText(std::string_view block);
bool matchesXgody(std::string_view block);
RVFreeGps::Block decodeXgody(std::string_view block);
} // namespace RVFreeGpsText
