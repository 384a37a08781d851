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

constexpr double unknown = std::numeric_limits<double>::quiet_NaN();

} // namespace

TEST(GraphEnvelope, ShortSeriesKeepEverySample)
{
    EXPECT_FALSE(build({}, 100).isDrawable());
    EXPECT_FALSE(build({5}, 100).isDrawable());

    // 101 samples over 100 pixels: one pixel per segment, all kept.
    std::vector<double> ramp;
    for (int i = 0; i <= 100; ++i)
        ramp.push_back(i * 0.5);
    const RVGraphEnvelope e = build(ramp, 100);
    ASSERT_TRUE(e.isDrawable());
    EXPECT_EQ(e.mode(), RVGraphEnvelope::Mode::Samples);
    EXPECT_EQ(e.samples(), ramp);
    EXPECT_DOUBLE_EQ(e.sampleX(100), 100);
    EXPECT_DOUBLE_EQ(e.maximum(), 50);

    // Extra values beyond the announced count are ignored.
    RVGraphEnvelope two(2, 100);
    two.add(1);
    two.add(2);
    two.add(1000);
    EXPECT_EQ(two.samples().size(), 2u);
    EXPECT_DOUBLE_EQ(two.maximum(), 2);
}

TEST(GraphEnvelope, EverySampleLandsInItsNearestColumn)
{
    // Against the plain formula (each column keeps the lowest and highest of its samples), for
    // counts and widths that do and do not divide evenly.
    for (const std::size_t n : {103u, 4097u, 10007u}) {
        for (const double width : {1.0, 100.4, 333.6}) {
            if (double(n - 1) <= width)
                continue; // every sample kept, no columns
            std::vector<double> values(n);
            for (std::size_t i = 0; i < n; ++i)
                values[i] = double((i * 7919) % 1009); // scrambled but known
            const RVGraphEnvelope e = build(values, width);
            ASSERT_EQ(e.mode(), RVGraphEnvelope::Mode::Columns);
            const std::size_t last = e.columns().size() - 1;
            ASSERT_EQ(last, std::size_t(std::round(width)));
            std::vector<double> low(last + 1, 1e300), high(last + 1, -1e300);
            for (std::size_t i = 0; i < n; ++i) {
                const auto c = std::size_t(std::floor(double(i) * last / double(n - 1) + 0.5));
                low[c] = std::min(low[c], values[i]);
                high[c] = std::max(high[c], values[i]);
            }
            for (std::size_t c = 0; c <= last; ++c) {
                ASSERT_TRUE(e.columns()[c].valid) << n << " " << width << " " << c;
                EXPECT_EQ(e.columns()[c].low, low[c]) << n << " " << width << " " << c;
                EXPECT_EQ(e.columns()[c].high, high[c]) << n << " " << width << " " << c;
            }
        }
    }
}

TEST(GraphEnvelope, UnknownValuesAreGapsAndTheRangeStartsAtMinusOne)
{
    // NaN and infinities count neither for the range nor as points.
    const RVGraphEnvelope samples =
        build({10, unknown, std::numeric_limits<double>::infinity(), 20}, 100);
    EXPECT_DOUBLE_EQ(samples.minimum(), 10);
    EXPECT_DOUBLE_EQ(samples.maximum(), 20);

    // A series entirely below -1 keeps the maximum at -1 (the range's starting value).
    const RVGraphEnvelope deep = build({-30, -20, -400}, 100);
    EXPECT_DOUBLE_EQ(deep.minimum(), -400);
    EXPECT_DOUBLE_EQ(deep.maximum(), -1);
    // Nothing finite at all: both starting values stay.
    const RVGraphEnvelope noneKnown = build({unknown, unknown, unknown}, 100);
    EXPECT_DOUBLE_EQ(noneKnown.minimum(), 1e20);
    EXPECT_DOUBLE_EQ(noneKnown.maximum(), -1);

    // In columns, a stretch without a known value leaves its columns empty.
    std::vector<double> withHole(10000, 5.0);
    for (std::size_t i = 2000; i < 6000; ++i)
        withHole[i] = unknown;
    const RVGraphEnvelope holed = build(withHole, 100);
    ASSERT_EQ(holed.mode(), RVGraphEnvelope::Mode::Columns);
    EXPECT_TRUE(holed.columns()[10].valid);
    EXPECT_FALSE(holed.columns()[40].valid);
    EXPECT_TRUE(holed.columns()[70].valid);

    // A plot narrower than a pixel still has one column, not none.
    const RVGraphEnvelope narrow = build({1, 2, 3}, -4);
    ASSERT_EQ(narrow.mode(), RVGraphEnvelope::Mode::Columns);
    ASSERT_EQ(narrow.columns().size(), 1u);
    EXPECT_DOUBLE_EQ(narrow.columns()[0].low, 1);
    EXPECT_DOUBLE_EQ(narrow.columns()[0].high, 3);
    const RVGraphEnvelope bad = build({1, 2, 3}, unknown);
    EXPECT_EQ(bad.columns().size(), 1u);
}
