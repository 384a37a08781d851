// Clock corrections as people and the settings file hand them over: offsets typed on the
// command line and stored rule lines, any bytes. An accepted offset stays within a day and
// reads back from its own text; stored rules read back to the same rules.
#include "fuzz/FuzzInput.h"
#include "metadata/RVCameraClock.h"

#include <QStringList>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(fuzzText(data, size));
    if (const std::optional<int> seconds = RVCameraClock::parseOffset(text)) {
        if (std::abs(*seconds) > 24 * 3600 ||
            RVCameraClock::parseOffset(RVCameraClock::offsetText(*seconds)) != seconds)
            __builtin_trap();
    }
    RVCameraClock::setRulesFromText(text.split(QLatin1Char('\n')));
    const QStringList stored = RVCameraClock::rulesToText();
    RVCameraClock::setRulesFromText(stored);
    if (RVCameraClock::rulesToText() != stored)
        __builtin_trap();
    (void)RVCameraClock::ruleFor(text, RVCameraFamily::Novatek);
    RVCameraClock::clearRules();
    return 0;
}
