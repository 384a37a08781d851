// Kenwood's text tracks: a video in memory with a trailer or a "udta" box, and the bytes
// themselves as a trailer's and a box's records. Whatever the bytes, the track keeps its speeds
// in step and every fix lies on the globe.
#include "fuzz/FuzzInput.h"
#include "metadata/RVKenwoodMetaDataReader.h"

#include <cmath>

namespace {

void check(const RVMetaData& data)
{
    if (data.points.size() != data.velocityData.size())
        __builtin_trap();
    for (const RVPoint& p : data.points) {
        if (!(std::fabs(p.latitudeValue()) <= 90) || !(std::fabs(p.longitudeValue()) <= 180))
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzFile file(data, size);
    RVDecline why;
    if (const auto read =
            RVKenwoodMetaDataReader::readMetaData(file.buffer, file.bytes.size(), &why))
        check(*read);
    else if (why.kind != RVDecline::Kind::NotMine && why.detail.isEmpty())
        __builtin_trap();
    const std::string_view text = fuzzText(data, size);
    check(RVKenwoodMetaDataReader::readTrailer(text));
    check(RVKenwoodMetaDataReader::readUserData(text));
    return 0;
}
