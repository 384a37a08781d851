// Number and text primitives: their quick paths are checked against the standard library.
#include "core/RVFixedSix.h"
#include "core/RVNumber.h"
#include "core/RVShortText.h"
#include "core/RVStringUtil.h"
#include "core/RVTextSplit.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

TEST(Number, LeadingValuesOfFieldTexts)
{
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<const char*, double> values[] = {
        {"145.3,M", 145.3}, {"  -12.5x", -12.5}, {"+5856.1581", 5856.1581},
        {".5", 0.5},        {"1e3", 1000},       {"-1e999", -inf}};
    for (const auto& [text, value] : values)
        EXPECT_EQ(RVNumber::leadingValue(text), value) << text;
    // Out of range, the magnitude decides, also for exponents beyond 64 bits.
    for (const std::string& text : {std::string("1e999"), std::string("2e9223372036854775807"),
                                    std::string("1e99999999999999999999999"),
                                    "2" + std::string(300, '0') + "e9223372036854775807"})
        EXPECT_EQ(RVNumber::leadingValue(text), inf) << text;
    for (const char* text : {"+", "", "inf", "nan", "1e-999", "0.0000001e-9223372036854775807",
                             "1e-99999999999999999999999"})
        EXPECT_EQ(RVNumber::leadingValue(text), 0) << text;

    // A field that is a number and nothing else.
    EXPECT_EQ(RVNumber::wholeValue("+0.152"), 0.152);
    for (const std::string& text :
         {std::string("19.60 km/h"), std::string("12,5"), std::string("+"), std::string(),
          std::string("1e3"), std::string(400, '9')})
        EXPECT_FALSE(RVNumber::wholeValue(text)) << text;

    // The quick "at least 1 in size" test may only say yes when the value read is.
    using RVNumber::leadingValueAtLeastOne;
    for (const char* yes : {"5354.000800", " -1.5,N"})
        EXPECT_TRUE(leadingValueAtLeastOne(yes)) << yes;
    for (const char* no : {"1e-9", "12 east", "0.000001", ".5", "-", ""})
        EXPECT_FALSE(leadingValueAtLeastOne(no)) << no;
    // Random texts for both; short decimals (up to 15 digits) take a quicker path than
    // from_chars and must give the same double, bit for bit.
    std::mt19937_64 random(11);
    const std::string alphabet = "0123456789.eE+- \tx";
    for (int i = 0; i < 200000; ++i) {
        std::string text(random() % 12, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        ASSERT_TRUE(!leadingValueAtLeastOne(text) || std::fabs(RVNumber::leadingValue(text)) >= 1)
            << text;
        std::string digits(1 + random() % 17, '0');
        for (char& c : digits)
            c = char('0' + random() % 10);
        if (const auto point = random() % (digits.size() + 2); point <= digits.size())
            digits.insert(point, ".");
        double expected = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), expected);
        const double read = RVNumber::leadingValue(digits + ",N");
        ASSERT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << digits;
        ASSERT_EQ(RVNumber::leadingValue("-" + digits), -expected) << digits;
    }
}

// The six-decimal writer rounds in integers: its text must be to_chars' own, for exact ties
// (k/128), values rounding to zero, the largest it takes, the first it hands on, and values a
// few ulps beside a half-unit tie.
TEST(Number, SixDecimalsWrittenExactlyAsToChars)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> values = {
        0.0,  -0.0,   5e-324, -1e-9, 4.9999995e-7, 5e-7, 0.5, 55.752060, 999999999999.9999,
        1e12, 3.5e15, inf,    -inf,  nan};
    values.push_back(std::nextafter(1e12, 0.0));
    for (int k = -3000; k <= 3000; ++k)
        values.push_back(k / 128.0);
    std::mt19937_64 random(11);
    for (int i = 0; i < 300000; ++i) {
        const auto mantissa = (random() >> 11) | (std::uint64_t(1) << 52);
        const int exponent = int(random() % 90) - 50 - 52;
        values.push_back((random() & 1 ? -1 : 1) * std::ldexp(double(mantissa), exponent));
    }
    for (int i = 0; i < 20000; ++i) {
        double value = (double(random() % 400000000) + 0.5) / 1e6;
        for (int step = int(random() % 4); step > 0; --step)
            value = std::nextafter(value, random() & 1 ? 0.0 : 1e9);
        values.push_back(value);
    }
    for (const double value : values) {
        char expected[400], written[400];
        const auto to =
            std::to_chars(expected, std::end(expected), value, std::chars_format::fixed, 6);
        ASSERT_EQ(std::string_view(written, RVFixedSix::write(written, std::end(written), value)),
                  std::string_view(expected, to.ptr));
    }
}

TEST(Text, ShortTextsTimesKeyValueLinesAndFieldSplits)
{
    // 0, 15 (the last inline size) and 16 (the first heap size) bytes, and a long text.
    for (const std::string& text : {std::string(), std::string("123456789012345"),
                                    std::string("1234567890123456"), std::string(300, 'x')}) {
        RVShortText copy("short"), moved(RVShortText{text});
        copy = moved;
        copy = static_cast<const RVShortText&>(copy); // itself
        EXPECT_EQ(std::string(copy.view()) + "|" + std::string(moved.view()), text + "|" + text);
        RVShortText taken(std::move(copy));
        EXPECT_EQ(std::string(taken.view()) + "|" + std::string(copy.view()), text + "|");
    }

    // Seconds truncated toward zero (the sign on both parts); no wrap for huge values or NaN.
    const std::tuple<double, const char*, const char*> times[] = {
        {65.9, "%d:%02d", "1:05"},        {4500, "%d:%02d", "75:00"},
        {65.9, "%02d:%02d", "01:05"},     {0.99, "%d:%02d", "0:00"},
        {-65.5, "%d:%d", "-1:-5"},        {std::nan(""), "%d:%02d", "0:00"},
        {1e300, "%d:%02d", "35791394:07"}};
    for (const auto& [seconds, format, text] : times)
        EXPECT_EQ(RVStringUtil::time(seconds, format), QString::fromLatin1(text)) << seconds;

    const auto d = RVStringUtil::createDictionaryFromText(
        QStringLiteral("a=b=c\r\n=x\r\nno equals\nversion=1\nversion=2\nversion = 3\nv=1\r2\n"));
    EXPECT_EQ(d, (QMap<QString, QString>{
                     {"a", "b=c"}, {"", "x"}, {"version", "2"}, {"version ", " 3"}, {"v", "12"}}));
    EXPECT_TRUE(RVStringUtil::createDictionaryFromText(QString()).isEmpty());

    // The field splitter looks at sixteen bytes at a time: every comma position, in a block, at
    // its edges and in the tail, must give what a plain split gives, also past the fields it keeps,
    // when only the first few are wanted, and for one field alone.
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::string line(random() % 80, 'x');
        for (char& c : line)
            c = random() % 4 == 0 ? ',' : c;
        std::vector<std::string_view> expected;
        for (std::size_t i = 0, start = 0; i <= line.size(); ++i)
            if (i == line.size() || line[i] == ',') {
                expected.emplace_back(line.data() + start, i - start);
                start = i + 1;
            }
        const RVFieldSplitter fields(line);
        ASSERT_EQ(fields.count(), expected.size()) << line;
        for (std::size_t i = 0; i < expected.size() + 2; ++i) {
            const bool kept = i < expected.size() && i < RVFieldSplitter::kKept;
            ASSERT_EQ(fields[i], kept ? expected[i] : std::string_view()) << line << " " << i;
            ASSERT_TRUE(!kept || expected[i].empty() || fields[i].data() == expected[i].data())
                << "a view into the line";
            const std::optional<std::string_view> one = RVFieldSplitter::field(line, i);
            ASSERT_EQ(one.has_value(), i < expected.size()) << line << " " << i;
            ASSERT_TRUE(!one ||
                        (one->data() == expected[i].data() && one->size() == expected[i].size()))
                << line << " " << i;
        }
        // Only the first few: exact up to there, one more counted when there are more.
        const std::size_t wanted = 1 + random() % 20;
        const RVFieldSplitter first(line, wanted);
        ASSERT_EQ(first.count(), std::min(expected.size(), wanted + 1)) << line << " " << wanted;
        for (std::size_t i = 0; i < std::min({expected.size(), wanted + 1, RVFieldSplitter::kKept});
             ++i)
            ASSERT_EQ(first[i], i < wanted ? expected[i] : std::string_view()) << line << " " << i;
    }
}
