// The NMEA and export date texts, and the sentence decoders they sit behind.
#include "fuzz/FuzzInput.h"
#include "metadata/RVGpsProcessor.h"
#include "metadata/RVNmea.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzzText(data, size);
    const RVGpsProcessor& gps = RVGpsProcessor::sharedInstance();
    const RVTimestamp nmea = gps.nmeaDateFormatter().parse(text);
    if (nmea.isValid()) {
        // Whatever parses must render and read back to the same instant (to the millisecond,
        // within the 2000-2099 window and with leap seconds rolled over).
        const QByteArray again = gps.nmeaDateFormatter().format(nmea).toLatin1();
        const RVTimestamp back = gps.nmeaDateFormatter().parse(
            std::string_view(again.constData(), std::size_t(again.size())));
        if (back != nmea && !(text.size() > 5 && text.substr(4, 2) == "60"))
            __builtin_trap();
        (void)gps.exportDateFormatter().format(nmea);
    }
    (void)gps.exportDateFormatter().parse(text);
    (void)RVNmea::readPointFromNmea(text);
    (void)RVNmea::readAltitudeFromNmea(text);
    (void)RVNmea::convertToDecCoordinates(text);
    return 0;
}
