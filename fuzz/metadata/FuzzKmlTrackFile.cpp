// Imported track files: KML documents, read by their reader and by the dispatcher.
#include "TrackFileFuzz.h"
#include "metadata/RVKmlTrackReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzzTrackFile<RVKmlTrackReader>(data, size);
}
