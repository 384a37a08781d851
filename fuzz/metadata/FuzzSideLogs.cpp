// Logs beside the video: a plain NMEA log, an Escort log, a DriveVision log, and a 70mai running
// log read for one recording.
#include "fuzz/FuzzInput.h"
#include "metadata/RVDriveVisionMetaDataReader.h"
#include "metadata/RVEscortMetaDataReader.h"
#include "metadata/RVNmeaLogMetaDataReader.h"
#include "metadata/RVSeventyMaiLogMetaDataReader.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzzText(data, size);
    if (const auto log = RVNmeaLogMetaDataReader::readLogText(text);
        log && log->points.size() != log->velocityData.size())
        __builtin_trap();
    const RVMetaData escort = RVEscortMetaDataReader::readLog(text);
    const RVMetaData driveVision = RVDriveVisionMetaDataReader::readLog(text);
    if (escort.points.size() > escort.gSensorData.size())
        __builtin_trap();
    for (const RVMetaData* log : {&escort, &driveVision}) {
        if (log->points.size() != log->velocityData.size() || !log->localClock)
            __builtin_trap();
        for (const RVPoint& p : log->points) {
            if (!(std::fabs(p.latitudeValue()) <= 90) || !(std::fabs(p.longitudeValue()) <= 180) ||
                !p.time().isValid() || !(p.azimut() >= 0 && p.azimut() <= 360) ||
                !(p.velocity() >= 0))
                __builtin_trap();
        }
    }
    if (const auto log = RVSeventyMaiLogMetaDataReader::readLogText(
            text, QStringLiteral("NO20250222-064554-000000F.MP4"));
        log && log->points.size() != log->velocityData.size())
        __builtin_trap();
    return 0;
}
