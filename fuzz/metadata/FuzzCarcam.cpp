// CARCAM's LIGOGPSINFO samples: the input as one track sample (records after a mark anywhere,
// the last one ending where the bytes do), and as an in-memory video whose "ssmd" track the reader
// walks. Every fix that comes out is a place on earth at a valid time with its speed, and a
// reader that gave nothing for a file it took for its own says why.
#include "FixFuzz.h"
#include "fuzz/FuzzInput.h"
#include "metadata/RVCarcamMetaDataReader.h"
#include "metadata/freegps/RVFreeGpsLigo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzzText(data, size);
    if (const std::optional<std::size_t> mark = RVFreeGpsLigo::findMark(bytes)) {
        if (bytes.substr(*mark, 12) != std::string_view("LIGOGPSINFO\0", 12))
            __builtin_trap();
        checkBlock(RVFreeGpsLigo::decodeSample(bytes, *mark));
    }

    FuzzFile file(data, size);
    RVDecline why;
    checkRead(RVCarcamMetaDataReader::readMetaData(file.buffer, file.bytes.size(), &why), why);
    return 0;
}
