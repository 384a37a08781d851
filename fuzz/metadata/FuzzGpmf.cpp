// GPMF samples: the key-length-value walk (every item inside its level, the walk moving
// forward) and the GoPro reader's decoding of a sample into fixes and sensor samples. The
// same bytes are also read as one cue or record of the other cameras' tracks.
#include "fuzz/FuzzInput.h"
#include "metadata/RVGarminMetaDataReader.h"
#include "metadata/RVGoProMetaDataReader.h"
#include "metadata/RVGpmf.h"
#include "metadata/RVNextbaseMetaDataReader.h"
#include "metadata/RVThinkwareMetaDataReader.h"
#include "metadata/RVVantrueMetaDataReader.h"
#include "metadata/RVVueroidMetaDataReader.h"
#include "metadata/RVWolfboxMetaDataReader.h"

namespace {

void walk(std::string_view bytes, int depth)
{
    RVGpmfWalker walker(bytes);
    const char* previous = bytes.data();
    while (const std::optional<RVGpmfItem> item = walker.next()) {
        if (item->data.data() < previous + 8 ||
            item->data.data() + item->data.size() > bytes.data() + bytes.size() ||
            item->data.size() != std::size_t(item->structSize) * item->repeat)
            __builtin_trap();
        previous = item->data.data() + item->data.size();
        if (item->isNest() && depth < 4)
            walk(item->data, depth + 1);
        else
            (void)RVGpmf::numbers(*item);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzzText(data, size);
    walk(bytes, 0);
    RVMetaData track;
    RVGoProMetaDataReader::readSample(bytes, 1.001, track);
    RVThinkwareMetaDataReader::CueReader cues;
    cues.addCue(bytes);
    const RVMetaData fromCues = cues.finish();
    (void)RVNextbaseMetaDataReader::isRecord(bytes);
    (void)RVGarminMetaDataReader::record(bytes);
    RVVantrueMetaDataReader::readRecord(bytes, track);
    RVWolfboxMetaDataReader::readRecord(bytes, track);
    RVVueroidMetaDataReader::readRecord(bytes, track);
    if (track.points.size() != track.velocityData.size() ||
        fromCues.points.size() != fromCues.velocityData.size())
        __builtin_trap();
    return 0;
}
