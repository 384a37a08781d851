// A BlackVue video in memory: the top-level "free" box, the boxes inside it, the embedded
// track text, sensor records and camera description.
#include "fuzz/FuzzInput.h"
#include "metadata/RVBlackVueMetaDataReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzFile file(data, size);
    const std::optional<RVMetaData> track = RVBlackVueMetaDataReader::readEmbeddedData(
        file.buffer, file.bytes.size(), QStringLiteral("fuzz"));
    if (track && (track->points.size() != track->velocityData.size() ||
                  track->gSensorData.size() > size / 10 || track->cameraModel.size() > 64))
        __builtin_trap();
    (void)RVBlackVueMetaDataReader::readCameraModel(fuzzText(data, size));
    return 0;
}
