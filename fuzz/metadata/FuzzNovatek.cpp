// A Novatek video in memory: the top-level walk, the "gps " index in "moov", the scan of
// "mdat" and the decoding of every block; also the input read as one block by every layout
// of the table, with the mark put in front so that the layouts' decoders are reached.
#include "fuzz/FuzzInput.h"
#include "metadata/RVNovatekMetaDataReader.h"
#include "metadata/freegps/RVFreeGps.h"

#include <cmath>
#include <string>

namespace {

// What the table promises of every block: a refused block gives nothing, and every fix lies
// on the globe with a sane speed (or one marked unknown) and course.
void check(const RVFreeGps::Block& block)
{
    using Status = RVFreeGps::Block::Status;
    if ((block.status == Status::Unknown || block.status == Status::Encrypted) &&
        (!block.fixes.empty() || !block.samples.empty()))
        __builtin_trap();
    if (block.status == Status::Fix && block.fixes.empty())
        __builtin_trap();
    for (const RVFreeGps::Fix& fix : block.fixes) {
        const double lat = fix.point.latitudeValue(), lon = fix.point.longitudeValue();
        if (!(std::fabs(lat) <= 90 && std::fabs(lon) <= 180) || (lat == 0 && lon == 0) ||
            (fix.speedKnown ? !(fix.speedKmh >= 0 && fix.speedKmh < 1000)
                            : !std::isnan(fix.speedKmh)) ||
            !(fix.point.azimut() >= 0 && fix.point.azimut() <= 360))
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view view = fuzzText(data, size);
    check(RVFreeGps::read(view));
    std::string marked = std::string("\0\0\x80\0freeGPS ", 12);
    marked.append(view.substr(0, std::min<std::size_t>(size, 500)));
    check(RVFreeGps::read(marked));
    // The same block as a Rexing V1-4k file would have it read.
    check(RVFreeGps::read(marked, RVFreeGps::FileHints{true}));
    bool complete = false;
    (void)RVNovatekMetaDataReader::readIndex(view, complete);

    FuzzFile file(data, size);
    RVDecline why;
    const std::optional<RVMetaData> track = RVNovatekMetaDataReader::readMetaData(
        file.buffer, file.bytes.size(), QStringLiteral("fuzz"), &why);
    if (track && track->points.size() != track->velocityData.size())
        __builtin_trap();
    if (track && track->points.empty() && track->gSensorData.empty())
        __builtin_trap();
    return 0;
}
