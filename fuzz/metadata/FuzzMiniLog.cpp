// A Mini camera's per-fix log.
#include "fuzz/FuzzInput.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVMiniMetaDataReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RVMetaData meta = RVMiniMetaDataReader::readMetaDataFromFile(QStringLiteral("/gps/gps0001.log"),
                                                                 fuzzText(data, size));
    if (meta.points.size() != meta.velocityData.size() || meta.relatedFiles.size() != 1)
        __builtin_trap();
    meta.gSensorData = RVGpsProcessor::sharedInstance().normalizeSensorData(meta.gSensorData);
    for (const RVSensorData& sample : meta.gSensorData)
        (void)sample.time().text();
    return 0;
}
