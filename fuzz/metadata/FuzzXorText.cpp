// Records of XORed text: the input as one record (Rove Stealth 4K, BlueSkySea, Lamax S9), and
// as an in-memory video whose data or text track the reader walks. Every fix that comes out is
// a place on earth at a valid time with its speed and an altitude of four digits, by the
// camera's clock, and a reader that gave nothing for a file it took for its own says why.
#include "FixFuzz.h"
#include "fuzz/FuzzInput.h"
#include "metadata/RVXorTextMetaDataReader.h"
#include "metadata/freegps/RVFreeGpsText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzzText(data, size);
    if (RVFreeGpsText::isXorRecord(bytes)) {
        // The readers keep only what passes the freeGPS checks: out-of-range values may come
        // out of the decoder, never out of the checks.
        RVFreeGps::Block block = RVFreeGpsText::decodeXorRecord(bytes);
        if ((block.status == RVFreeGps::Block::Status::Fix) == block.fixes.empty())
            __builtin_trap();
        if (RVFreeGps::isSound(block))
            checkBlock(block);
    }

    FuzzFile file(data, size);
    RVDecline why;
    const std::optional<RVMetaData> read =
        RVXorTextMetaDataReader::readMetaData(file.buffer, file.bytes.size(), &why);
    if (read) {
        if (!read->localClock)
            __builtin_trap();
        for (const RVPoint& p : read->points) {
            if (std::fabs(p.altitude()) > 9999)
                __builtin_trap();
        }
    }
    checkRead(read, why);
    return 0;
}
