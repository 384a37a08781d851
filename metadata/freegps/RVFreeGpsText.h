#pragma once

// The text layouts of freeGPS blocks: XORed, shifted, NMEA and labelled (see the .cpp).

#include "metadata/freegps/RVFreeGps.h"

namespace RVFreeGpsText {
bool matchesXor(std::string_view block);
RVFreeGps::Block decodeXor(std::string_view block);
// The same record where Ambarella firmware writes it on its own (a track's sample, a box's
// record), from its first byte ("\0\0" before the mark): true when it carries the mark
// (XKZD, or BlueSkySea's) and is long enough to hold a fix.
bool isXorRecord(std::string_view record);
// Its fix, altitude and accelerations; its time as written, read as UTC.
RVFreeGps::Block decodeXorRecord(std::string_view record);
bool matchesNextbaseText(std::string_view block);
RVFreeGps::Block decodeNextbaseText(std::string_view block);
bool matchesShiftedText(std::string_view block);
RVFreeGps::Block decodeShiftedText(std::string_view block);
bool matchesXgody(std::string_view block);
RVFreeGps::Block decodeXgody(std::string_view block);
} // namespace RVFreeGpsText
