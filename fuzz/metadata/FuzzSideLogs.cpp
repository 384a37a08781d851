// Logs beside the video: a plain NMEA log, and a 70mai running log read for one recording.
#include "fuzz/FuzzInput.h"
#include "metadata/RVNmeaLogMetaDataReader.h"
#include "metadata/RVSeventyMaiLogMetaDataReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzzText(data, size);
    if (const auto log = RVNmeaLogMetaDataReader::readLogText(text);
        log && log->points.size() != log->velocityData.size())
        __builtin_trap();
    if (const auto log = RVSeventyMaiLogMetaDataReader::readLogText(
            text, QStringLiteral("NO20250222-064554-000000F.MP4"));
        log && log->points.size() != log->velocityData.size())
        __builtin_trap();
    return 0;
}
