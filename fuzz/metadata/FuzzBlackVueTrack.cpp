// A BlackVue track file: prefixed NMEA lines with stray receiver bytes.
#include "metadata/RVBlackVueMetaDataReader.h"
#include "metadata/RVGpsProcessor.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    RVMetaData meta = RVBlackVueMetaDataReader::readMetaDataFromText(text);
    if (meta.points.size() != meta.velocityData.size() || !meta.gSensorData.empty())
        __builtin_trap();
    RVGpsProcessor::sharedInstance().fixFirstAltitudeRecords(meta.points);
    for (const RVPoint& point : meta.points)
        (void)point.latitudeValue();
    return 0;
}
