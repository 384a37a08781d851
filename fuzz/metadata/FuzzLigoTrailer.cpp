// LIGOGPSINFO trailers at the end of a video: the input as a file read from its end, and as one
// directory. Every fix that comes out is a place on earth at a valid time with its speed, by the
// camera's clock, and a reader that found trailers but gave nothing says why.
#include "FixFuzz.h"
#include "fuzz/FuzzInput.h"
#include "metadata/RVLigoTrailerMetaDataReader.h"
#include "metadata/freegps/RVFreeGpsLigo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    checkBlock(RVFreeGpsLigo::decodeDirectory(fuzzText(data, size)));

    FuzzFile file(data, size);
    RVDecline why;
    const std::optional<RVMetaData> read =
        RVLigoTrailerMetaDataReader::readMetaData(file.buffer, file.bytes.size(), &why);
    if (read && (read->points.empty() || !read->localClock))
        __builtin_trap();
    checkRead(read, why);
    return 0;
}
