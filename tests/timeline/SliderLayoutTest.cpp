#include "timeline/RVSliderLayoutUtil.h"

#include "metadata/RVStringUtil.h"

#include <QSet>
#include <QStringList>

#include <QSizeF>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using L = RVSliderLayoutUtil;

TEST(SliderLayout, TickIntervalFollowsSecondsPerFiftyPixels)
{
    // w = 1000: 20 labels; D / 20 picks the row, each bound belonging to the row above.
    EXPECT_EQ(L::tickInterval(1000, 10), 1);   // below 1 s: whole seconds
    EXPECT_EQ(L::tickInterval(1000, 20), 5);   // exactly 1
    EXPECT_EQ(L::tickInterval(1000, 100), 10); // exactly 5
    EXPECT_EQ(L::tickInterval(1000, 199), 10);
    EXPECT_EQ(L::tickInterval(1000, 200), 30);   // 10
    EXPECT_EQ(L::tickInterval(1000, 1000), 60);  // 50
    EXPECT_EQ(L::tickInterval(1000, 1800), 120); // 90
    EXPECT_EQ(L::tickInterval(1000, 3599), 120);
    EXPECT_EQ(L::tickInterval(1000, 3600), 180); // 180: used as it is
    // The width is truncated before dividing: 149.9 holds two labels, 4 s each.
    EXPECT_EQ(L::tickInterval(149.9, 8), 5);
    // Fewer than 50 pixels: no label count, infinitely many seconds per label.
    EXPECT_TRUE(std::isinf(L::tickInterval(49.9, 97)));
    EXPECT_TRUE(std::isinf(L::tickInterval(-20, 97)));
    EXPECT_TRUE(std::isinf(L::tickInterval(std::numeric_limits<double>::quiet_NaN(), 97)));
}

TEST(SliderLayout, TickTimesEndAtTheTripEnd)
{
    // 97 - 95 = 2 is not more than half an interval: 95 is dropped; 98 - 95 = 3 keeps it.
    std::vector<double> expected97, expected98;
    for (int t = 0; t <= 95; t += 5) {
        expected97.push_back(t);
        expected98.push_back(t);
    }
    expected97.back() = 97;
    expected98.push_back(98);
    EXPECT_EQ(L::tickTimes(97, 5), expected97);
    EXPECT_EQ(L::tickTimes(98, 5), expected98);
    // A trip of an exact multiple of the interval still has its end labelled (a one-minute
    // recording shows 1:00).
    EXPECT_EQ(L::tickTimes(10, 5), (std::vector<double>{0, 5, 10}));
    // Narrow slider, or a trip shorter than half an interval: only the end.
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
    EXPECT_TRUE(L::tickTimes(0, 5).empty());
    EXPECT_TRUE(L::tickTimes(std::numeric_limits<float>::quiet_NaN(), 5).empty());
    EXPECT_TRUE(L::tickTimes(std::numeric_limits<float>::infinity(), 5).empty());
    EXPECT_TRUE(L::tickTimes(97, 0).empty());
    const std::vector<double> absurd = L::tickTimes(1e30f, 1e-3);
    EXPECT_LE(absurd.size(), 400001u);
    EXPECT_EQ(absurd.back(), double(1e30f));
    // The end of the trip lies at the axis' right end.
    EXPECT_DOUBLE_EQ(L::timeX(97, 97, 1000), 1005);
    EXPECT_DOUBLE_EQ(L::timeX(0, 97, 1000), 5);
}

TEST(SliderLayout, BandsStackFromTheBottomAndFillBelowTheAxis)
{
    // 205 high: h = 195, three bands of (195 - 15) / 3 - 5 = 55, designed (bottom-up) at
    // y = 5, 65, 125, that is top-down at 145, 85, 25.
    EXPECT_EQ(L::bandRects(QSizeF(300, 205), 3),
              (std::vector<QRectF>{QRectF(0, 145, 300, 55), QRectF(0, 85, 300, 55),
                                   QRectF(0, 25, 300, 55)}));
    EXPECT_TRUE(L::bandRects(QSizeF(300, 205), 0).empty());
    // Too low for any band.
    EXPECT_EQ(L::bandRects(QSizeF(300, 35), 1), std::vector<QRectF>{QRectF(0, 25, 300, 5)});
    EXPECT_TRUE(L::bandRects(QSizeF(300, 30), 1).empty());
    EXPECT_EQ(L::bandRects(QSizeF(300, 60), 6).size(), 6u);
    EXPECT_TRUE(L::bandRects(QSizeF(300, 55), 6).empty());
}

TEST(SliderLayout, OnlyBandsOfTheMinimumHeightFit)
{
    // k bands of 30 px and 5 px gaps need 35 k - 5 px of the h - 15 below the axis.
    const struct
    {
        double height;
        int enabled;
        int fitting;
    } cases[] = {{205, 6, 5}, {205, 3, 3}, {140, 6, 3}, {60, 2, 1},
                 {60, 1, 1},  {54, 1, 0},  {1e6, 6, 6}, {205, 0, 0}};
    for (const auto& c : cases) {
        const int fitting = L::fittingBandCount(QSizeF(300, c.height), c.enabled);
        EXPECT_EQ(fitting, c.fitting) << c.height << " " << c.enabled;
        for (const QRectF& band : L::bandRects(QSizeF(300, c.height), fitting))
            EXPECT_GE(band.height(), L::minimumBandHeight) << c.height;
    }
}

TEST(SliderLayout, ZoneAndClickFractions)
{
    EXPECT_TRUE(L::insidePopoverZone({100, 24.9}));
    EXPECT_FALSE(L::insidePopoverZone({100, 25}));
    double f = 0;
    ASSERT_TRUE(L::fractionAt(3, 1010, &f));
    EXPECT_DOUBLE_EQ(f, -0.002); // margins are not clamped
    ASSERT_TRUE(L::fractionAt(505, 1010, &f));
    EXPECT_DOUBLE_EQ(f, 0.5);
    // No axis, no fraction (instead of a division by zero).
    EXPECT_FALSE(L::fractionAt(5, 10, &f));
    EXPECT_FALSE(L::fractionAt(5, 4, &f));
}
