// The movie-header reader on arbitrary bytes: it must never read outside the file, loop on
// box sizes or hang on many tiny boxes.
#include "library/RVMp4Header.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    if (const std::optional<double> seconds = RVMp4Header::movieDurationSeconds(buffer))
        if (!(*seconds > 0))
            __builtin_trap(); // a length is only given when it is positive
    return 0;
}
