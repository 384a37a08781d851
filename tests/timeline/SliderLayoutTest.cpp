// The slider's layout (ticks, labels, bands) and the reduction of a series to its graph.
#include "core/RVStringUtil.h"
#include "timeline/RVGraphEnvelope.h"
#include "timeline/RVSliderLayoutUtil.h"

#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>

using L = RVSliderLayoutUtil;

TEST(SliderLayout, TicksLabelsAndBands)
{
    // w = 1000: 20 labels; D / 20 picks the row, each bound belonging to the row above. The
    // width is truncated first (149.9 px hold two labels); under 50 px there is no label.
    const double nan = NAN, none = INFINITY;
    const double cases[][3] = {
        {1000, 10, 1},    {1000, 20, 5},     {1000, 100, 10},   {1000, 199, 10},   {1000, 200, 30},
        {1000, 1000, 60}, {1000, 1800, 120}, {1000, 3599, 120}, {1000, 3600, 180}, {149.9, 8, 5},
        {49.9, 97, none}, {-20, 97, none},   {nan, 97, none}};
    for (const auto& [width, duration, interval] : cases)
        EXPECT_EQ(L::tickInterval(width, float(duration)), interval) << width << " " << duration;

    // The end is always labelled; a tick closer than half an interval to it is dropped.
    std::vector<double> expected{0,  5,  10, 15, 20, 25, 30, 35, 40, 45,
                                 50, 55, 60, 65, 70, 75, 80, 85, 90, 97};
    EXPECT_EQ(L::tickTimes(97, 5), expected);
    expected.back() = 95;
    expected.push_back(98);
    EXPECT_EQ(L::tickTimes(98, 5), expected);
    EXPECT_EQ(L::tickTimes(10, 5), (std::vector<double>{0, 5, 10}));
    EXPECT_EQ(L::tickTimes(97, L::tickInterval(40, 97)), std::vector<double>{97});
    EXPECT_EQ(L::tickTimes(2, 5), std::vector<double>{2});
    EXPECT_EQ(L::tickTimes(3, 5), (std::vector<double>{0, 3}));
    // Labels (whole seconds) never repeat, on short trips and wide axes included.
    for (const float duration : {0.4f, 1.5f, 2.6f, 2.9f, 7.3f, 19.99f, 61.7f, 97.5f}) {
        for (const double width : {60.0, 333.0, 1000.0, 2400.0}) {
            QStringList labels;
            for (double t : L::tickTimes(duration, L::tickInterval(width, duration)))
                labels << RVStringUtil::time(t, "%d:%02d");
            EXPECT_EQ(labels.size(), QSet<QString>(labels.begin(), labels.end()).size())
                << duration << " s, " << width << " px: " << labels.join(' ').toStdString();
        }
    }
    // No ticks for durations that are not positive, and no endless loops.
    for (const auto& [duration, interval] :
         {std::pair{0.0f, 5.0}, {float(nan), 5.0}, {INFINITY, 5.0}, {97.0f, 0.0}})
        EXPECT_TRUE(L::tickTimes(duration, interval).empty()) << duration << " " << interval;
    const std::vector<double> absurd = L::tickTimes(1e30f, 1e-3);
    EXPECT_LE(absurd.size(), 400001u);
    EXPECT_EQ(absurd.back(), double(1e30f));

    EXPECT_EQ(L::bandRects(QSizeF(300, 35), 1), std::vector<QRectF>{QRectF(0, 25, 300, 5)});
    EXPECT_TRUE(L::bandRects(QSizeF(300, 30), 1).empty());
    EXPECT_EQ(L::bandRects(QSizeF(300, 60), 6).size(), 6u);
    EXPECT_TRUE(L::bandRects(QSizeF(300, 55), 6).empty());
    // k bands of 30 px and 5 px gaps need 35 k - 5 px of the h - 15 below the axis.
    const int heights[][3] = {{205, 6, 5}, {205, 3, 3}, {140, 6, 3},     {60, 2, 1},
                              {60, 1, 1},  {54, 1, 0},  {1000000, 6, 6}, {205, 0, 0}};
    for (const auto& [height, enabled, fitting] : heights) {
        EXPECT_EQ(L::fittingBandCount(QSizeF(300, height), enabled), fitting) << height;
        for (const QRectF& band : L::bandRects(QSizeF(300, height), fitting))
            EXPECT_GE(band.height(), L::minimumBandHeight) << height;
    }
}

static RVGraphEnvelope build(const std::vector<double>& values, double plotWidth)
{
    RVGraphEnvelope envelope(values.size(), plotWidth);
    for (double v : values)
        envelope.add(v);
    return envelope;
}

TEST(GraphEnvelope, SamplesColumnsGapsAndRange)
{
    RVGraphEnvelope two(2, 100); // values beyond the announced count are ignored
    for (double v : {1, 2, 1000})
        two.add(v);
    EXPECT_EQ(std::pair(two.samples().size(), two.maximum()), std::pair(std::size_t(2), 2.0));

    // More samples than pixels: each column keeps the extremes of the samples nearest to it,
    // for counts and widths that do and do not divide evenly. Ascending values make the
    // samples halfway between two columns (which go to the later one) the columns' ends.
    for (const auto& [n, width] : {std::pair{103u, 1.0}, {4097u, 100.4}, {10007u, 333.6}}) {
        std::vector<double> values(n);
        for (std::size_t i = 0; i < n; ++i)
            values[i] = double(n == 103 ? i : (i * 7919) % 1009); // ascending or scrambled
        const RVGraphEnvelope c = build(values, width);
        ASSERT_EQ(c.mode(), RVGraphEnvelope::Mode::Columns);
        const std::size_t last = std::size_t(std::round(width));
        std::vector<std::pair<double, double>> expected(last + 1, {1e300, -1e300}), got;
        for (std::size_t i = 0; i < n; ++i) {
            auto& [low, high] = expected[std::size_t(std::floor(double(i) * last / (n - 1) + 0.5))];
            low = std::min(low, values[i]), high = std::max(high, values[i]);
        }
        for (const RVGraphEnvelope::Column& column : c.columns())
            got.emplace_back(column.valid ? column.low : 1e300, column.high);
        EXPECT_EQ(got, expected) << n;
    }

    // NaN and infinities count neither for the range nor as points; a series entirely below
    // -1 keeps the maximum at its starting value, -1.
    const RVGraphEnvelope e = build({10, NAN, INFINITY, 20}, 100);
    EXPECT_EQ(std::pair(e.minimum(), e.maximum()), std::pair(10.0, 20.0));
    const RVGraphEnvelope below = build({-30, -400}, 100);
    EXPECT_EQ(std::pair(below.minimum(), below.maximum()), std::pair(-400.0, -1.0));
    // In columns, a stretch without a known value leaves its columns empty.
    std::vector<double> withHole(10000, 5.0);
    std::fill(withHole.begin() + 2000, withHole.begin() + 6000, NAN);
    const RVGraphEnvelope holed = build(withHole, 100);
    const auto& columns = holed.columns();
    EXPECT_EQ(std::tuple(columns[10].valid, columns[40].valid, columns[70].valid),
              std::tuple(true, false, true));
    // A plot narrower than a pixel, or of no width at all, still has one column.
    for (const double width : {-4.0, double(NAN)}) {
        const RVGraphEnvelope narrow = build({1, 2, 3}, width);
        ASSERT_EQ(narrow.columns().size(), 1u);
        EXPECT_EQ(std::pair(narrow.columns()[0].low, narrow.columns()[0].high),
                  std::pair(1.0, 3.0));
    }
}
