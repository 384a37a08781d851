// Imported track files: NMEA logs of other devices, read by their reader and by the dispatcher.
#include "TrackFileFuzz.h"
#include "metadata/RVNmeaTrackFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzzTrackFile<RVNmeaTrackFileReader>(data, size);
}
