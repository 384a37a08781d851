#include "metadata/RVCoordinateValue.h"
#include "metadata/RVFixedSix.h"
#include "metadata/RVNumber.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

TEST(Number, LeadingValueOfFieldTexts)
{
    using RVNumber::leadingValue;
    EXPECT_EQ(leadingValue("145.3,M"), 145.3);
    EXPECT_EQ(leadingValue("  -12.5x"), -12.5);
    EXPECT_EQ(leadingValue("+5856.1581"), 5856.1581);
    EXPECT_EQ(leadingValue(".5"), 0.5);
    EXPECT_EQ(leadingValue("1e3"), 1000);
    EXPECT_EQ(leadingValue("+"), 0);
    EXPECT_EQ(leadingValue(""), 0);
    EXPECT_EQ(leadingValue("inf"), 0);
    EXPECT_EQ(leadingValue("nan"), 0);

    // Out of range: the magnitude decides, including exponents that do not fit 64 bits or
    // overflow when added to the digits' own magnitude.
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(leadingValue("1e999"), inf);
    EXPECT_EQ(leadingValue("-1e999"), -inf);
    EXPECT_EQ(leadingValue("1e-999"), 0);
    EXPECT_EQ(leadingValue("2e9223372036854775807"), inf);
    EXPECT_EQ(leadingValue("2" + std::string(300, '0') + "e9223372036854775807"), inf);
    EXPECT_EQ(leadingValue("0.0000001e-9223372036854775807"), 0);
    EXPECT_EQ(leadingValue("1e99999999999999999999999"), inf);
    EXPECT_EQ(leadingValue("1e-99999999999999999999999"), 0);
}

// The quick test exporters use to pass over coordinates far from zero: whenever it says so,
// the value read must be at least 1 in size; an exponent anywhere makes it unsure.
TEST(Number, AtLeastOneOnlyWhenTheValueIs)
{
    using RVNumber::leadingValueAtLeastOne;
    EXPECT_TRUE(leadingValueAtLeastOne("5354.000800"));
    EXPECT_TRUE(leadingValueAtLeastOne(" -1.5,N"));
    EXPECT_FALSE(leadingValueAtLeastOne("1e-9"));
    EXPECT_FALSE(leadingValueAtLeastOne("12 east"));
    EXPECT_FALSE(leadingValueAtLeastOne("0.000001"));
    EXPECT_FALSE(leadingValueAtLeastOne(".5"));
    EXPECT_FALSE(leadingValueAtLeastOne("-"));
    EXPECT_FALSE(leadingValueAtLeastOne(""));

    std::mt19937_64 random(11);
    const std::string alphabet = "0123456789.eE+- \tx";
    for (int i = 0; i < 200000; ++i) {
        std::string text(random() % 12, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        if (leadingValueAtLeastOne(text)) {
            ASSERT_GE(std::fabs(RVNumber::leadingValue(text)), 1.0) << text;
        }
    }
}

// Short decimals take a quicker path than from_chars; it must give the same double, bit for
// bit, for every digit count and point position, including the longest it takes (15 digits)
// and the first it hands on (16).
TEST(Number, PlainDecimalsReadExactlyAsFromChars)
{
    std::mt19937_64 random(7);
    for (int i = 0; i < 200000; ++i) {
        const int length = 1 + int(random() % 17);
        std::string text;
        for (int d = 0; d < length; ++d)
            text += char('0' + random() % 10);
        const auto point = random() % (length + 2); // beyond the end: no point
        if (point <= std::size_t(length))
            text.insert(point, ".");
        if (text == ".")
            continue;
        double expected = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        const double read = RVNumber::leadingValue(text + ",N");
        ASSERT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << text;
        ASSERT_EQ(RVNumber::leadingValue("-" + text), -expected) << text;
    }
}

// The six-decimal writer rounds in integers instead of calling to_chars; its text must be
// to_chars' own for every magnitude: exact ties (k/128 times 10^6 ends in .5), values that
// round to zero from either side, the largest it takes and the first it hands on.
TEST(Number, SixDecimalsWrittenExactlyAsToChars)
{
    std::vector<double> values = {0.0,
                                  -0.0,
                                  5e-324,
                                  -1e-9,
                                  4.9999995e-7,
                                  5e-7,
                                  0.5,
                                  55.752060,
                                  999999999999.9999,
                                  1e12,
                                  std::nextafter(1e12, 0.0),
                                  3.5e15,
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN()};
    for (int k = -3000; k <= 3000; ++k)
        values.push_back(k / 128.0);
    std::mt19937_64 random(11);
    for (int i = 0; i < 300000; ++i) {
        const auto mantissa = (random() >> 11) | (std::uint64_t(1) << 52);
        const int exponent = int(random() % 90) - 50 - 52;
        values.push_back((random() & 1 ? -1 : 1) * std::ldexp(double(mantissa), exponent));
    }
    // Values a few ulps either side of a half-unit tie: their product in double precision is
    // often the half-integer itself, and then the exact rounding has to decide.
    for (int i = 0; i < 20000; ++i) {
        double value = (double(random() % 400000000) + 0.5) / 1e6;
        for (int step = int(random() % 4); step > 0; --step)
            value = std::nextafter(value, random() & 1 ? 0.0 : 1e9);
        values.push_back(value);
    }
    for (const double value : values) {
        char expected[400];
        char written[400];
        const auto to =
            std::to_chars(expected, expected + sizeof expected, value, std::chars_format::fixed, 6);
        const char* end = RVFixedSix::write(written, written + sizeof written, value);
        ASSERT_EQ(std::string_view(written, std::size_t(end - written)),
                  std::string_view(expected, std::size_t(to.ptr - expected)))
            << value;
    }
}

TEST(Number, CoordinateTextsReadAsTheGeneralReaderReadsThem)
{
    // The quick path for the readers' own coordinate texts, and the general reader for the rest.
    for (const char* text : {"55.752060", "-37.609463", "0.000001", "-0.5", "180",
                             "-1234.123456789", "12345.6", "1e3", "55.7x", "-", "", " 5"})
        EXPECT_EQ(RVCoordinateValue::value(text), RVNumber::leadingValue(text)) << text;
}
