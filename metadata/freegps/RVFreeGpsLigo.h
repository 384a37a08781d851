#pragma once

// "LIGOGPSINFO" records, scrambled or in plain text (see the .cpp), in freeGPS blocks and in
// the samples of a video's data track.

#include "metadata/freegps/RVFreeGps.h"

#include <optional>
#include <string>

namespace RVFreeGpsLigo {
bool matches(std::string_view block);
RVFreeGps::Block decode(std::string_view block);
// A "####" record (0x84 bytes) unscrambled: a u32 counter, then the text; nothing when the
// steering bytes do not add up (a record in the cipher form).
std::optional<std::string> unscramble(std::string_view record);

// Where "LIGOGPSINFO\0" stands in bytes that are not a freeGPS block (a track's sample), if
// anywhere.
std::optional<std::size_t> findMark(std::string_view bytes);
// The records after the mark at `mark` of such bytes. A sample may end after its last record's
// bytes (the slot need not be whole), its coordinates are read as written (not offset), its
// speeds are knots and its times the camera's clock (localClock). The block is NoFix when the
// records hold no position yet, Encrypted when they are in the cipher form, and Unknown when none
// reads (a record cut short) or a value is out of range.
RVFreeGps::Block decodeSample(std::string_view bytes, std::size_t mark);
// A directory of records some cameras append to the file (a trailer after the last box): the
// mark "LIGOGPSINFO\0" and records as in a block, or "LIGOGPSINFO" and five spaces and records
// in plain text. Times by the camera's clock (localClock); nothing sound: Unknown.
RVFreeGps::Block decodeDirectory(std::string_view directory);
} // namespace RVFreeGpsLigo
