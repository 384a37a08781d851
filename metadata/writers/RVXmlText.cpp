#include "metadata/writers/RVXmlText.h"

#include "metadata/writers/RVExportSink.h"

#include <cstdint>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

bool isPlain(unsigned char c)
{
    return c >= 0x20 && c < 0x80 && c != '&' && c != '<' && c != '>' && c != '"' && c != '\'';
}

// Length of the well-formed UTF-8 sequence at text[i] (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0. codePoint receives its value.
std::size_t sequenceLength(std::string_view text, std::size_t i, std::uint32_t& codePoint)
{
    const auto byte = [&](std::size_t k) { return std::uint32_t(std::uint8_t(text[i + k])); };
    const std::uint32_t lead = byte(0);
    std::size_t length = 0;
    std::uint32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(k) & 0x3F);
    }
    if (codePoint < min || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

void RVXmlText::append(RVExportSink& sink, std::string_view text)
{
    std::size_t plainStart = 0;
    std::size_t i = 0;
    const auto flushPlain = [&] {
        if (i > plainStart)
            sink.append(text.substr(plainStart, i - plainStart));
    };
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (isPlain(c)) {
            ++i;
            continue;
        }
        flushPlain();
        std::size_t consumed = 1;
        switch (c) {
        case '&':
            sink.append("&amp;");
            break;
        case '<':
            sink.append("&lt;");
            break;
        case '>':
            sink.append("&gt;");
            break;
        case '"':
            sink.append("&quot;");
            break;
        case '\'':
            sink.append("&apos;");
            break;
        case '\t':
            sink.append("&#9;");
            break;
        case '\n':
            sink.append("&#10;");
            break;
        case '\r':
            sink.append("&#13;");
            break;
        default:
            if (c >= 0x80) {
                std::uint32_t codePoint = 0;
                const std::size_t length = sequenceLength(text, i, codePoint);
                if (length == 0)
                    sink.append(kReplacement);
                else if (codePoint != 0xFFFE && codePoint != 0xFFFF)
                    sink.append(text.substr(i, length));
                consumed = length == 0 ? 1 : length;
            }
            // Other C0 controls have no place in XML 1.0, not even as references.
            break;
        }
        i += consumed;
        plainStart = i;
    }
    flushPlain();
}
