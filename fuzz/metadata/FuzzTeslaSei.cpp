// One NAL unit as the car's telemetry: SEI framing, emulation prevention, protobuf fields.
#include "fuzz/FuzzInput.h"
#include "metadata/RVTeslaTelemetry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzzText(data, size);
    (void)RVTeslaTelemetry::readNalUnit(bytes);
    // The message alone, without the framing.
    (void)RVTeslaTelemetry::readMessage(bytes);
    return 0;
}
