// Trip splits and joins as the settings file hands them over, any bytes: what is accepted
// stores back to the same text, and looking a recording up never fails.
#include "fuzz/FuzzInput.h"
#include "library/RVTripShapes.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(fuzzText(data, size));
    const QStringList lines = text.split(QLatin1Char('\n'));
    RVTripShapes::setFromText(lines);
    const QStringList stored = RVTripShapes::toText();
    RVTripShapes::setFromText(stored);
    if (RVTripShapes::toText() != stored)
        __builtin_trap();
    // A recording named by a stored line is looked up like any other.
    for (const QString& line : stored) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        const RVVideoFile file(fields[0] + QLatin1Char('/') + fields[1], 1.0F, RVTimestamp(),
                               false);
        (void)RVTripShapes::breakBefore(file);
    }
    RVTripShapes::clear();
    return 0;
}
