// The movie-header reader on arbitrary bytes: it must never read outside the file, loop on
// box sizes or hang on many tiny boxes.
#include "fuzz/FuzzInput.h"
#include "library/RVMp4Header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzFile file(data, size);
    if (const std::optional<double> seconds = RVMp4Header::movieDurationSeconds(file.buffer))
        if (!(*seconds > 0))
            __builtin_trap(); // a length is only given when it is positive
    return 0;
}
