// The advertisement page's height tag: whatever the page, reading it ends, and a page without
// the tag gives 0. The height also matches a second, independent reading of the tag.
#include "fuzz/FuzzInput.h"
#include "update/RVAdvertisementUtil.h"

#include <algorithm>
#include <limits>

namespace {

const QString kTag = QStringLiteral("<meta name=\"height\" content=\"");

// The content's leading integer by a plain reading: blanks, a sign, digits, saturated.
std::int64_t expected(const QString& page)
{
    const qsizetype start = page.indexOf(kTag) + kTag.size();
    const qsizetype end = page.indexOf(QLatin1Char('"'), start);
    if (start < kTag.size() || end < 0)
        return 0;
    qsizetype i = start;
    while (i < end && page.at(i).isSpace())
        ++i;
    const bool negative = i < end && page.at(i) == u'-';
    i += i < end && (page.at(i) == u'-' || page.at(i) == u'+');
    std::int64_t value = 0;
    for (; i < end && page.at(i) >= u'0' && page.at(i) <= u'9'; ++i)
        value = std::min(value * 10 + (page.at(i).unicode() - '0'), std::int64_t(1) << 32);
    return std::clamp<std::int64_t>(negative ? -value : value,
                                    std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(fuzzText(data, size));
    // Also the same bytes behind the tag, so the content reader is reached on every input.
    for (const QString& page : {text, kTag + text})
        if (RVAdvertisementUtil::heightFromPage(page) != expected(page))
            std::abort();
    return 0;
}
