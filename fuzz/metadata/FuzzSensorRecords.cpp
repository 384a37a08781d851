// A BlackVue .3gf sensor file: 10-byte big-endian records.
#include "fuzz/FuzzInput.h"
#include "metadata/RVBlackVueMetaDataReader.h"
#include "metadata/RVGpsProcessor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzzText(data, size);
    const std::vector<RVSensorData> samples = RVBlackVueMetaDataReader::readGSensorFromText(bytes);
    if (samples.size() != size / 10)
        __builtin_trap();
    const std::vector<RVSensorData> centred =
        RVGpsProcessor::sharedInstance().normalizeSensorData(samples);
    if (centred.size() != samples.size())
        __builtin_trap();
    if (!samples.empty())
        (void)samples.front().time().text();
    (void)RVBlackVueMetaDataReader::readIntFromData(
        RVBlackVueMetaDataReader::getSubDataFrom(size / 3, size / 2 + 3, bytes));
    return 0;
}
