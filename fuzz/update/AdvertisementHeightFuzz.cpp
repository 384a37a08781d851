// The advertisement page's height tag: whatever the page, reading it ends, and a page without
// the tag gives 0. The height also matches a second, independent reading of the tag.
#include "update/RVAdvertisementUtil.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

const QString kTag = QStringLiteral("<meta name=\"height\" content=\"");

// The content's leading integer by a plain reading: blanks, a sign, digits, saturated.
std::int64_t expected(const QString& page)
{
    const qsizetype tag = page.indexOf(kTag);
    if (tag < 0)
        return 0;
    const qsizetype start = tag + kTag.size();
    const qsizetype end = page.indexOf(QLatin1Char('"'), start);
    if (end < 0)
        return 0;
    QString content = page.mid(start, end - start);
    qsizetype i = 0;
    while (i < content.size() && content.at(i).isSpace())
        ++i;
    int sign = 1;
    if (i < content.size() && (content.at(i) == u'-' || content.at(i) == u'+'))
        sign = content.at(i++) == u'-' ? -1 : 1;
    std::int64_t value = 0;
    while (i < content.size() && content.at(i) >= u'0' && content.at(i) <= u'9') {
        value = value * 10 + (content.at(i++).unicode() - '0');
        if (value > std::int64_t(1) << 32)
            value = std::int64_t(1) << 32;
    }
    value *= sign;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return value;
}

void check(const QString& page)
{
    if (RVAdvertisementUtil::heightFromPage(page) != expected(page))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    const QString text = QString::fromUtf8(bytes, qsizetype(size));
    check(text);
    // The same bytes behind the tag, so the content reader is reached on every input.
    check(kTag + text);
    return 0;
}
