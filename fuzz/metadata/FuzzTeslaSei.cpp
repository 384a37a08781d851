// One NAL unit as the car's telemetry: SEI framing, emulation prevention, protobuf fields.
#include "metadata/RVTeslaTelemetry.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)RVTeslaTelemetry::readNalUnit(bytes);
    // The message alone, without the framing.
    (void)RVTeslaTelemetry::readMessage(bytes);
    return 0;
}
