#include "metadata/RVNumber.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

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
