// Korvela metadata text (side file or box payload): NMEA and "$GS" lines, then the
// dispatcher's clean-up and the rendering of every label.
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVKorvelaMetaDataReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<RVMetaData> meta = RVKorvelaMetaDataReader::readMetaDataFromText(text);
    if (!meta)
        return 0;
    if (meta->points.size() != meta->velocityData.size())
        __builtin_trap();
    const RVGpsProcessor& gps = RVGpsProcessor::sharedInstance();
    meta->gSensorData = gps.normalizeSensorData(meta->gSensorData);
    gps.fixFirstAltitudeRecords(meta->points);
    for (const RVSensorData& sample : meta->gSensorData)
        (void)sample.time().text();
    for (const RVPoint& point : meta->points)
        (void)RVGpsProcessor::isZeroPoint(point);
    return 0;
}
