#include "timeline/RVSliderLayoutUtil.h"

#include <QSizeF>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using L = RVSliderLayoutUtil;

TEST(SliderLayout, TickIntervalFollowsSecondsPerFiftyPixels)
{
    // w = 1000: 20 labels; D / 20 picks the row.
    EXPECT_FLOAT_EQ(L::tickInterval(1000, 10), 0.5f); // below 1 s: used as it is
    EXPECT_EQ(L::tickInterval(1000, 20), 5);          // exactly 1
    EXPECT_EQ(L::tickInterval(1000, 97), 5);          // 4.85
    EXPECT_EQ(L::tickInterval(1000, 100), 10);        // exactly 5
    EXPECT_EQ(L::tickInterval(1000, 199), 10);
    EXPECT_EQ(L::tickInterval(1000, 200), 30); // 10
    EXPECT_EQ(L::tickInterval(1000, 999), 30);
    EXPECT_EQ(L::tickInterval(1000, 1000), 60); // 50
    EXPECT_EQ(L::tickInterval(1000, 1799), 60);
    EXPECT_EQ(L::tickInterval(1000, 1800), 120); // 90
    EXPECT_EQ(L::tickInterval(1000, 3599), 120);
    EXPECT_EQ(L::tickInterval(1000, 3600), 180); // 180: used as it is
    EXPECT_EQ(L::tickInterval(500, 1800), 180);  // w = 500, 30 minutes
    // The width is truncated before dividing: 149.9 holds two labels.
    EXPECT_EQ(L::tickInterval(149.9, 8), 5); // 4 s per label
    EXPECT_EQ(L::tickInterval(150, 8), 5);
    EXPECT_EQ(L::tickInterval(200, 8), 5); // 2 s per label
    // Fewer than 50 pixels: no label count, infinitely many seconds per label.
    EXPECT_TRUE(std::isinf(L::tickInterval(49.9, 97)));
    EXPECT_TRUE(std::isinf(L::tickInterval(-20, 97)));
    EXPECT_TRUE(std::isinf(L::tickInterval(std::numeric_limits<double>::quiet_NaN(), 97)));
}

TEST(SliderLayout, TickTimesEndAtTheTripEnd)
{
    std::vector<double> expected97;
    for (int t = 0; t <= 90; t += 5)
        expected97.push_back(t);
    expected97.push_back(97); // 95 is dropped: 97 - 95 = 2 is not more than 2.5
    EXPECT_EQ(L::tickTimes(97, 5), expected97);

    std::vector<double> expected98;
    for (int t = 0; t <= 95; t += 5)
        expected98.push_back(t);
    expected98.push_back(98); // 98 - 95 = 3 > 2.5 keeps 95
    EXPECT_EQ(L::tickTimes(98, 5), expected98);

    // A trip of an exact multiple of the interval still has its end labelled (a one-minute
    // recording shows 1:00).
    EXPECT_EQ(L::tickTimes(10, 5), (std::vector<double>{0, 5, 10}));
    EXPECT_EQ(L::tickTimes(60, 5).back(), 60);
    EXPECT_EQ(L::tickTimes(60, 5).size(), 13u);
    // Narrow slider: a single tick, at the end.
    EXPECT_EQ(L::tickTimes(97, L::tickInterval(40, 97)), std::vector<double>{97});
    // A trip shorter than half an interval: only its end.
    EXPECT_EQ(L::tickTimes(2, 5), std::vector<double>{2});
    EXPECT_EQ(L::tickTimes(3, 5), (std::vector<double>{0, 3}));
    // Thirty minutes on w = 500: every 180 s.
    const std::vector<double> half = L::tickTimes(1800, L::tickInterval(500, 1800));
    ASSERT_EQ(half.size(), 11u);
    EXPECT_EQ(half[1], 180);
    EXPECT_EQ(half.back(), 1800);
    // No ticks for durations that are not positive, and no endless loops.
    EXPECT_TRUE(L::tickTimes(0, 5).empty());
    EXPECT_TRUE(L::tickTimes(-3, 5).empty());
    EXPECT_TRUE(L::tickTimes(std::numeric_limits<float>::quiet_NaN(), 5).empty());
    EXPECT_TRUE(L::tickTimes(std::numeric_limits<float>::infinity(), 5).empty());
    EXPECT_TRUE(L::tickTimes(97, 0).empty());
    const std::vector<double> absurd = L::tickTimes(1e30f, 1e-3);
    EXPECT_LE(absurd.size(), 400001u);
    EXPECT_EQ(absurd.back(), double(1e30f));
    // Positions: the end of the trip lies at the axis' right end.
    EXPECT_DOUBLE_EQ(L::timeX(97, 97, 1000), 1005);
    EXPECT_DOUBLE_EQ(L::timeX(0, 97, 1000), 5);
}

TEST(SliderLayout, BandsStackFromTheBottomAndFillBelowTheAxis)
{
    // 205 high: h = 195, three bands of (195 - 15) / 3 - 5 = 55, designed (bottom-up) at
    // y = 5, 65, 125, that is top-down at 145, 85, 25.
    const std::vector<QRectF> three = L::bandRects(QSizeF(300, 205), 3);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[0], QRectF(0, 145, 300, 55));
    EXPECT_EQ(three[1], QRectF(0, 85, 300, 55));
    EXPECT_EQ(three[2], QRectF(0, 25, 300, 55));

    // Six bands fill 25 .. H - 5 with gaps of 5.
    const std::vector<QRectF> six = L::bandRects(QSizeF(1010, 400), 6);
    ASSERT_EQ(six.size(), 6u);
    EXPECT_DOUBLE_EQ(six.front().bottom(), 395);
    EXPECT_DOUBLE_EQ(six.back().top(), 25);
    for (std::size_t i = 1; i < six.size(); ++i)
        EXPECT_NEAR(six[i - 1].top() - six[i].bottom(), 5, 1e-9);

    EXPECT_TRUE(L::bandRects(QSizeF(300, 205), 0).empty());
    // Too low for any band.
    EXPECT_EQ(L::bandRects(QSizeF(300, 35), 1), std::vector<QRectF>{QRectF(0, 25, 300, 5)});
    EXPECT_TRUE(L::bandRects(QSizeF(300, 30), 1).empty());
    EXPECT_EQ(L::bandRects(QSizeF(300, 60), 6).size(), 6u);
    EXPECT_TRUE(L::bandRects(QSizeF(300, 55), 6).empty());
}

TEST(SliderLayout, ZoneAndClickFractions)
{
    EXPECT_TRUE(L::insidePopoverZone({100, 0}));
    EXPECT_TRUE(L::insidePopoverZone({100, 24.9}));
    EXPECT_FALSE(L::insidePopoverZone({100, 25}));
    double f = 0;
    ASSERT_TRUE(L::fractionAt(3, 1010, &f));
    EXPECT_DOUBLE_EQ(f, -0.002);
    ASSERT_TRUE(L::fractionAt(505, 1010, &f));
    EXPECT_DOUBLE_EQ(f, 0.5);
    ASSERT_TRUE(L::fractionAt(1008, 1010, &f));
    EXPECT_DOUBLE_EQ(f, 1.003);
    // No axis, no fraction (instead of a division by zero).
    EXPECT_FALSE(L::fractionAt(5, 10, &f));
    EXPECT_FALSE(L::fractionAt(5, 4, &f));
}
