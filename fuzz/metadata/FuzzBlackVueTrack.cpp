// A BlackVue track file: prefixed NMEA lines with stray receiver bytes.
#include "fuzz/FuzzInput.h"
#include "metadata/RVBlackVueMetaDataReader.h"
#include "metadata/RVGpsProcessor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RVMetaData meta = RVBlackVueMetaDataReader::readMetaDataFromText(fuzzText(data, size));
    if (meta.points.size() != meta.velocityData.size() || !meta.gSensorData.empty())
        __builtin_trap();
    RVGpsProcessor::sharedInstance().fixFirstAltitudeRecords(meta.points);
    for (const RVPoint& point : meta.points)
        (void)point.latitudeValue();
    return 0;
}
