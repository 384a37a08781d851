#pragma once

// The binary-record layouts of freeGPS blocks (see the .cpp for their fields).

#include "metadata/freegps/RVFreeGps.h"

namespace RVFreeGpsRecords {
bool matchesRecordAt10(std::string_view block);
RVFreeGps::Block decodeRecordAt10(std::string_view block);
bool matchesKenwood(std::string_view block);
RVFreeGps::Block decodeKenwood(std::string_view block);
bool matchesRedtiger(std::string_view block);
RVFreeGps::Block decodeRedtiger(std::string_view block);
bool matchesEncryptedDoubles(std::string_view block);
RVFreeGps::Block decodeEncrypted(std::string_view block);
bool matchesRecordAt30(std::string_view block);
RVFreeGps::Block decodeRecordAt30(std::string_view block);
// The record at 0x30 as a Rexing V1-4k writes it (the file tells, not the block).
bool matchesRexingScaled(std::string_view block);
RVFreeGps::Block decodeRexingScaled(std::string_view block);
bool matchesAkaso(std::string_view block);
RVFreeGps::Block decodeAkaso(std::string_view block);
bool matchesVantrueS1(std::string_view block);
RVFreeGps::Block decodeVantrueS1(std::string_view block);
bool matchesVantrueN4(std::string_view block);
RVFreeGps::Block decodeVantrueN4(std::string_view block);
bool matchesSeventyMai(std::string_view block);
RVFreeGps::Block decodeSeventyMai(std::string_view block);
bool matchesInnovv(std::string_view block);
RVFreeGps::Block decodeInnovv(std::string_view block);
} // namespace RVFreeGpsRecords
