// A BlackVue video in memory: the top-level "free" box, the boxes inside it, the embedded
// track text, sensor records and camera description.
#include "metadata/RVBlackVueMetaDataReader.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const std::optional<RVMetaData> track =
        RVBlackVueMetaDataReader::readEmbeddedData(buffer, bytes.size(), QStringLiteral("fuzz"));
    if (track && (track->points.size() != track->velocityData.size() ||
                  track->gSensorData.size() > size / 10 || track->cameraModel.size() > 64))
        __builtin_trap();
    (void)RVBlackVueMetaDataReader::readCameraModel(
        std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
