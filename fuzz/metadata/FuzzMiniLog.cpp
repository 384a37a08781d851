// A Mini camera's per-fix log.
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVMiniMetaDataReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    RVMetaData meta =
        RVMiniMetaDataReader::readMetaDataFromFile(QStringLiteral("/gps/gps0001.log"), text);
    if (meta.points.size() != meta.velocityData.size() || meta.relatedFiles.size() != 1)
        __builtin_trap();
    meta.gSensorData = RVGpsProcessor::sharedInstance().normalizeSensorData(meta.gSensorData);
    for (const RVSensorData& sample : meta.gSensorData)
        (void)sample.time().text();
    return 0;
}
