#include "export/RVExportSink.h"
#include "export/RVXmlText.h"

#include <gtest/gtest.h>

#include <string_view>

TEST(XmlText, ReferencesDropsAndReplacesWhatXmlCannotCarry)
{
    const std::pair<std::string_view, QByteArray> cases[] = {
        {"a&b<c>\"d'", "a&amp;b&lt;c&gt;&quot;d&apos;"},
        {"\t\n\r", "&#9;&#10;&#13;"},
        {std::string_view("x\x01\0y", 4), "xy"}, // other controls are dropped
        {"\xC3\xA9\xF0\x9F\x9A\x97", "\xC3\xA9\xF0\x9F\x9A\x97"},
        {"\xEF\xBF\xBE\xEF\xBF\xBF", ""}, // U+FFFE and U+FFFF
        // Not UTF-8: a stray continuation byte, a cut sequence, an overlong "<", a surrogate,
        // beyond U+10FFFF.
        {"\x80", "\xEF\xBF\xBD"},
        {"\xE2\x9C", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xE0\x80\xBC", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& [text, expected] : cases) {
        RVExportSink sink;
        RVXmlText::append(sink, text);
        EXPECT_EQ(sink.takeText(), expected)
            << QByteArray(text.data(), qsizetype(text.size())).toHex().constData();
    }
}
