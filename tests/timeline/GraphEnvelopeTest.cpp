#include "timeline/RVGraphEnvelope.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

RVGraphEnvelope build(const std::vector<double>& values, double plotWidth)
{
    RVGraphEnvelope envelope(values.size(), plotWidth);
    for (double v : values)
        envelope.add(v);
    return envelope;
}

} // namespace

TEST(GraphEnvelope, ShortSeriesKeepEverySampleLongOnesEveryColumnsExtremes)
{
    // 101 samples over 100 pixels: one pixel per segment, all kept.
    const std::vector<double> ramp(101, 0.5);
    EXPECT_EQ(build(ramp, 100).mode(), RVGraphEnvelope::Mode::Samples);
    EXPECT_EQ(build(ramp, 100).samples(), ramp);
    RVGraphEnvelope two(2, 100); // values beyond the announced count are ignored
    for (double v : {1, 2, 1000})
        two.add(v);
    EXPECT_EQ(two.samples().size(), 2u);
    EXPECT_DOUBLE_EQ(two.maximum(), 2);

    // More samples than pixels: each column keeps the extremes of the samples nearest to it,
    // for counts and widths that do and do not divide evenly.
    for (const auto& [n, width] : {std::pair{103u, 1.0}, {4097u, 100.4}, {10007u, 333.6}}) {
        std::vector<double> values(n);
        for (std::size_t i = 0; i < n; ++i)
            values[i] = double((i * 7919) % 1009); // scrambled but known
        const RVGraphEnvelope c = build(values, width);
        ASSERT_EQ(c.mode(), RVGraphEnvelope::Mode::Columns);
        const std::size_t last = std::size_t(std::round(width));
        ASSERT_EQ(c.columns().size(), last + 1);
        std::vector<double> low(last + 1, 1e300), high(last + 1, -1e300);
        for (std::size_t i = 0; i < n; ++i) {
            const auto column = std::size_t(std::floor(double(i) * last / double(n - 1) + 0.5));
            low[column] = std::min(low[column], values[i]);
            high[column] = std::max(high[column], values[i]);
        }
        for (std::size_t column = 0; column <= last; ++column) {
            EXPECT_TRUE(c.columns()[column].valid);
            EXPECT_EQ(c.columns()[column].low, low[column]) << n << " " << column;
            EXPECT_EQ(c.columns()[column].high, high[column]) << n << " " << column;
        }
    }
}

TEST(GraphEnvelope, UnknownValuesAreGapsAndTheRangeStartsAtMinusOne)
{
    // NaN and infinities count neither for the range nor as points; a series entirely below
    // -1 keeps the maximum at its starting value, -1.
    const double unknown = std::numeric_limits<double>::quiet_NaN();
    const RVGraphEnvelope e =
        build({10, unknown, std::numeric_limits<double>::infinity(), 20}, 100);
    EXPECT_EQ(std::pair(e.minimum(), e.maximum()), std::pair(10.0, 20.0));
    EXPECT_EQ(std::pair(build({-30, -400}, 100).minimum(), build({-30, -400}, 100).maximum()),
              std::pair(-400.0, -1.0));
    // In columns, a stretch without a known value leaves its columns empty.
    std::vector<double> withHole(10000, 5.0);
    std::fill(withHole.begin() + 2000, withHole.begin() + 6000, unknown);
    const RVGraphEnvelope holed = build(withHole, 100);
    EXPECT_TRUE(holed.columns()[10].valid);
    EXPECT_FALSE(holed.columns()[40].valid);
    EXPECT_TRUE(holed.columns()[70].valid);
    // A plot narrower than a pixel, or of no width at all, still has one column.
    for (const double width : {-4.0, unknown}) {
        const RVGraphEnvelope narrow = build({1, 2, 3}, width);
        ASSERT_EQ(narrow.columns().size(), 1u);
        EXPECT_DOUBLE_EQ(narrow.columns()[0].low, 1);
        EXPECT_DOUBLE_EQ(narrow.columns()[0].high, 3);
    }
}
