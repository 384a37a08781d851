// --from / --to texts: any bytes give a time or nothing, never a crash or a non-finite time.
#include "tools/korvela-export/RVClipTime.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QDateTime start(QDate(2026, 5, 16), QTime(10, 0, 0), Qt::UTC);
    if (const auto seconds = parseClipTime(text, start); seconds && !std::isfinite(*seconds))
        std::abort();
    return 0;
}
