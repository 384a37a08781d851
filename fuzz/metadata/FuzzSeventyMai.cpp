// A 70mai video in memory: the top-level "GPS " box and its 36-byte records.
#include "metadata/RVCameraClock.h"
#include "metadata/RVSeventyMaiMetaDataReader.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const std::optional<RVMetaData> track = RVSeventyMaiMetaDataReader::readMetaData(
        buffer, bytes.size(), RVTimestamp::fromMSecsSinceEpoch(1618654152000),
        QStringLiteral("fuzz"));
    if (track &&
        (track->points.size() != track->velocityData.size() || track->points.size() > size / 36))
        __builtin_trap();
    // The name rule on the input's first bytes as text.
    (void)RVCameraClock::startFromName(QString::fromLatin1(bytes.left(40)));
    return 0;
}
