// key=value texts (firmware descriptions, the card's autorun.inf): whatever the bytes, no key
// holds "=" or a line break and no value a line break.
#include "core/RVStringUtil.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzzText(data, size);
    for (const QString& text : {QString::fromLatin1(bytes), QString::fromUtf8(bytes)}) {
        const QMap<QString, QString> map = RVStringUtil::createDictionaryFromText(text);
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (it.key().contains(QLatin1Char('=')) ||
                (it.key() + it.value()).contains(QLatin1Char('\n')) ||
                (it.key() + it.value()).contains(QLatin1Char('\r')))
                std::abort();
        }
        if (!text.contains(QLatin1Char('=')) && !map.isEmpty())
            std::abort();
    }
    return 0;
}
