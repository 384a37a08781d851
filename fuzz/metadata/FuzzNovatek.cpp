// A Novatek video in memory: the top-level walk, the "gps " index in "moov", the scan of
// "mdat" and the decoding of every block; also one block decoded on its own.
#include "metadata/RVNovatekMetaDataReader.h"

#include <QBuffer>
#include <QByteArray>

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view view(reinterpret_cast<const char*>(data), size);
    const RVNovatekMetaDataReader::Block block = RVNovatekMetaDataReader::readBlock(view);
    if (block.point && (std::isnan(block.point->latitudeValue()) || !block.point->time().isValid()))
        __builtin_trap();
    bool complete = false;
    (void)RVNovatekMetaDataReader::readIndex(view, complete);

    QByteArray bytes(view.data(), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const std::optional<RVMetaData> track =
        RVNovatekMetaDataReader::readMetaData(buffer, bytes.size(), QStringLiteral("fuzz"));
    if (track && track->points.size() != track->velocityData.size())
        __builtin_trap();
    return 0;
}
