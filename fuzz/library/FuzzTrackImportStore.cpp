// The remembered imports of a card as read back from the data folder (a file that may have
// been damaged): whatever reads is written and read again unchanged.
#include "fuzz/FuzzInput.h"
#include "library/RVTrackImports.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray text = fuzzBytes(data, size);
    const auto card = RVTrackImports::fromText(text);
    if (!card)
        return 0;
    const QByteArray written = RVTrackImports::toText(card->cardFolder, card->imports);
    const auto again = RVTrackImports::fromText(written);
    if (!again || again->imports.size() != card->imports.size())
        __builtin_trap();
    for (std::size_t i = 0; i < card->imports.size(); ++i)
        if (again->imports[i]->fixes.size() != card->imports[i]->fixes.size())
            __builtin_trap();
    return 0;
}
