// --from / --to texts: any bytes give a time or nothing, never a crash or a non-finite time.
#include "fuzz/FuzzInput.h"
#include "tools/korvela-export/RVClipTime.h"

#include <QTimeZone>

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(fuzzText(data, size));
    // A zone with daylight saving, so readings in its skipped and repeated hours are met too.
    static const QDateTime start(QDate(2026, 3, 29), QTime(1, 30, 0),
                                 QTimeZone(QByteArrayLiteral("Europe/Berlin")));
    if (const auto seconds = parseClipTime(text, start); seconds && !std::isfinite(*seconds))
        std::abort();
    return 0;
}
