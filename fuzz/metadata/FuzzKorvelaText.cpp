// Korvela metadata text (side file or box payload): NMEA and "$GS" lines, then the
// dispatcher's clean-up and the rendering of every label.
#include "fuzz/FuzzInput.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVKorvelaMetaDataReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::optional<RVMetaData> meta =
        RVKorvelaMetaDataReader::readMetaDataFromText(fuzzText(data, size));
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
