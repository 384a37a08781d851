#include "GraphImage.h"
#include "timeline/RVTimeSlider2.h"
#include "timeline/RVUIUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const QColor background(200, 220, 240);
// A band of 210 x 110 at y = 20: plot 200 wide (x 5..205), 100 high (y 28..128).
const QRectF band(0, 20, 210, 110);
constexpr double axisWidth = 200;
const QRect topLabelArea(0, 21, 40, 10);    // rows 21..30: the top label's line box
const QRect bottomLabelArea(0, 121, 40, 9); // rows 121..129

RVGraphEnvelope envelope(const std::vector<double>& values, double plotWidth = 200)
{
    RVGraphEnvelope e(values.size(), plotWidth);
    for (double v : values)
        e.add(v);
    return e;
}

QImage drawn(const RVGraphEnvelope& data, double middleLine, const QString& title = {})
{
    QImage image = blankImage(220, 150, background);
    QPainter painter(&image);
    RVTimeSlider2::drawGraph(painter, data, band, title, middleLine, axisWidth);
    return image;
}

// The pixel row of a value drawn between `low` and `high`.
double rowOf(double value, double low, double high)
{
    return 128 - (value - low) / (high - low) * 100;
}

bool blackNear(const QImage& image, double x, double y)
{
    return anyPixel(image, QRect(int(std::floor(x)) - 1, int(std::floor(y)) - 1, 3, 3), isBlack);
}

bool labelReads(const QImage& image, const QString& text, double bottomY)
{
    const QImage expected = textImage(image.size(), Qt::white, text, 10, bottomY, band, Qt::black);
    // The glyphs' bodies; the rows below them may hold a flat curve at the band's bottom.
    return sameArea(image, expected, QRect(0, int(bottomY) - 9, 40, 7)) &&
           anyPixel(expected, QRect(0, int(bottomY) - 9, 40, 7), isBlack);
}

} // namespace

TEST(GraphDrawing, CurvePassesThroughEverySampleScaledIntoTheBand)
{
    // Fewer than two samples: nothing at all.
    const QImage empty = blankImage(220, 150, background);
    EXPECT_EQ(drawn(RVGraphEnvelope(), -1e10, "T"), empty);
    EXPECT_EQ(drawn(envelope({42}), -1e10, "T"), empty);

    // Peaks in the middle keep the curve away from the label corners.
    const std::vector<double> values{50, 100, 0, 50, 75};
    const QImage image = drawn(envelope(values), -1e10);
    // The band is white where the curve is not; outside it the background is untouched.
    EXPECT_EQ(image.pixel(208, 60), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(215, 60), background.rgb());
    EXPECT_EQ(image.pixel(100, 19), background.rgb());
    EXPECT_EQ(image.pixel(100, 131), background.rgb());
    // Sample j at x = 5 + 50 j; 0 at y = 128 and 100 at y = 28.
    for (std::size_t j = 0; j < values.size(); ++j)
        EXPECT_TRUE(blackNear(image, 5 + 50.0 * j, rowOf(values[j], 0, 100))) << j;
    // Straight between the samples: half way from 100 (x 55) to 0 (x 105) lies 50.
    EXPECT_TRUE(blackNear(image, 80, rowOf(50, 0, 100)));
    EXPECT_FALSE(anyPixel(image, QRect(75, 30, 10, 30), isBlack));
    // No grey line for a middle line below every value.
    EXPECT_FALSE(anyPixel(image, band.toRect(), isLightGrey));
    // Top label shows the maximum; no bottom label, since the minimum is zero.
    EXPECT_TRUE(labelReads(image, "100.00", 30));
    EXPECT_FALSE(anyPixel(image, bottomLabelArea, isBlack));
}

TEST(GraphDrawing, MiddleLinesAndLabels)
{
    // X acceleration from -0.4 to 0.25 around a middle line of 0: the scale runs
    // symmetrically from -0.4 to 0.4, the grey line across the band's middle (y = 78).
    const std::vector<double> values{0.2, 0.25, -0.4, -0.3};
    const QImage symmetric = drawn(envelope(values, 200), 0);
    EXPECT_TRUE(anyPixel(symmetric, QRect(10, 77, 1, 3), isLightGrey));
    EXPECT_TRUE(anyPixel(symmetric, QRect(200, 77, 1, 3), isLightGrey));
    EXPECT_TRUE(blackNear(symmetric, 5, rowOf(0.2, -0.4, 0.4)));
    EXPECT_TRUE(blackNear(symmetric, 5 + 2 * 200.0 / 3, rowOf(-0.4, -0.4, 0.4)));
    EXPECT_TRUE(labelReads(symmetric, "0.40", 30));
    EXPECT_FALSE(anyPixel(symmetric, bottomLabelArea, isBlack));

    // Total acceleration between 98 and 102: grey line at 100, labels 102.00 and 98.00.
    const QImage image = drawn(envelope({100, 102, 98, 100.5}), 100);
    EXPECT_TRUE(anyPixel(image, QRect(190, int(rowOf(100, 98, 102)) - 1, 1, 3), isLightGrey));
    EXPECT_TRUE(labelReads(image, "102.00", 30));
    EXPECT_TRUE(labelReads(image, "98.00", 130));
    // Data that does not straddle the middle line: no grey line.
    EXPECT_FALSE(anyPixel(drawn(envelope({101, 102, 103}), 100), band.toRect(), isLightGrey));

    // A flat series: range 1, curve along the bottom; 50 shows both labels, zeros none.
    const QImage fifty = drawn(envelope({50, 50, 50}), -1e10);
    EXPECT_TRUE(blackNear(fifty, 100, 128));
    EXPECT_FALSE(anyPixel(fifty, QRect(50, 40, 100, 80), isBlack));
    EXPECT_TRUE(labelReads(fifty, "50.00", 30));
    EXPECT_TRUE(labelReads(fifty, "50.00", 130));
    const QImage zeros = drawn(envelope({0, 0, 0, 0}), -1e10);
    EXPECT_TRUE(blackNear(zeros, 100, 128));
    EXPECT_FALSE(anyPixel(zeros, topLabelArea, isBlack));
    EXPECT_FALSE(anyPixel(zeros, QRect(0, 121, 40, 6), isBlack));

    // A maximum of 1e7 or more: the curve, but no scale labels.
    const QImage huge = drawn(envelope({5e6, 2e7, 1e6, 5e6}), -1e10);
    EXPECT_TRUE(blackNear(huge, 5 + 200.0 / 3, 28));
    EXPECT_FALSE(anyPixel(huge, QRect(0, 21, 30, 6), isBlack));
    EXPECT_FALSE(anyPixel(huge, QRect(0, 121, 40, 6), isBlack));
}

TEST(GraphDrawing, ExtremeAndUnknownValues)
{
    // A range wider than the largest double must not turn coordinates into NaN.
    const double big = std::numeric_limits<double>::max();
    const QImage image = drawn(envelope({-big, big, 0, -big}), -1e10);
    EXPECT_TRUE(blackNear(image, 5, 128));
    EXPECT_TRUE(blackNear(image, 5 + 200.0 / 3, 28));
    EXPECT_TRUE(blackNear(image, 5 + 400.0 / 3, 78));
    EXPECT_TRUE(blackNear(image, 205, 128));
    EXPECT_FALSE(anyPixel(image, QRect(0, 0, 220, 20), isBlack));
    EXPECT_FALSE(anyPixel(image, QRect(0, 131, 220, 19), isBlack));

    // 10, 20, ?, ?, 30, 40 over x = 5 .. 205 (every 40 px); nothing between x 45 and 165.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QImage gapped = drawn(envelope({10, 20, nan, nan, 30, 40}), -1e10);
    EXPECT_TRUE(blackNear(gapped, 45, rowOf(20, 10, 40)));
    EXPECT_TRUE(blackNear(gapped, 165, rowOf(30, 10, 40)));
    EXPECT_FALSE(anyPixel(gapped, QRect(48, 32, 114, 98), isBlack));
    // A single known value between unknown ones is a dot.
    EXPECT_TRUE(blackNear(drawn(envelope({nan, 60, nan}), -1e10), 105, 128));
}

TEST(GraphDrawing, ADayOfSamplesStillShowsAShortPeak)
{
    // 864,000 speed samples at 30 km/h with two seconds at 90 km/h, over a 1000-pixel plot.
    std::vector<double> speeds(864000, 30.0);
    for (std::size_t i = 500000; i < 500020; ++i)
        speeds[i] = 90;
    QImage image = blankImage(1020, 150, background);
    {
        QPainter painter(&image);
        RVTimeSlider2::drawGraph(painter, envelope(speeds, 1000), QRectF(0, 20, 1010, 110), {},
                                 -1e10, 1000);
    }
    const double peakX = 5 + std::round(500010.0 * 1000 / 863999);
    EXPECT_TRUE(blackNear(image, peakX, 28)); // the peak reaches the top of the plot
    EXPECT_FALSE(anyPixel(image, QRect(100, 26, 400, 5), isBlack)); // elsewhere the base line
    EXPECT_TRUE(blackNear(image, 1005, 128));
}

TEST(GraphDrawing, LabelsNeverOverlapAndColoursComeFromThePalette)
{
    const auto bluish = [](QRgb p) { return qBlue(p) > qRed(p) + 60 && qBlue(p) > qGreen(p) + 60; };
    const RVGraphEnvelope data = envelope({1000, 1234, 1100}, 110);
    // A narrow band: the centred title would run over the top scale label "1234.00". It
    // starts after the label instead, shortened to the room left.
    const QRectF narrow(0, 20, 120, 40);
    QImage image = blankImage(130, 70, background);
    {
        QPainter painter(&image);
        RVTimeSlider2::drawGraph(painter, data, narrow, "A LONG GRAPH TITLE (km/h)", -1e10, 110);
        const double labelRight = RVUIUtil::textWidth(painter, "1234.00", 8);
        EXPECT_FALSE(anyPixel(image, QRect(0, 21, int(labelRight) + 1, 9), bluish));
        EXPECT_TRUE(anyPixel(image, QRect(int(labelRight), 21, 130, 9), bluish));
    }
    // Too low for two lines: the bottom label ("1000.00", from x = 0, left of the curve) is
    // left out rather than drawn over the top one; a band twice as high has it.
    for (const double height : {16.0, 32.0}) {
        image = blankImage(210, 60, background);
        QPainter painter(&image);
        RVTimeSlider2::drawGraph(painter, data, QRectF(0, 20, 200, height), {}, -1e10, 190);
        painter.end();
        EXPECT_EQ(anyPixel(image, QRect(0, 20 + int(height) - 8, 4, 8), isBlack), height > 20)
            << height;
    }

    // A dark palette: dark band, light curve and labels, never black.
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Link, QColor(100, 160, 255));
    image = blankImage(220, 150, background);
    {
        QPainter painter(&image);
        RVTimeSlider2::drawGraph(painter, envelope({100, 102, 98, 100.5}), band, "T", 100,
                                 axisWidth, dark);
    }
    const auto light = [](QRgb p) { return qGray(p) > 200; };
    EXPECT_EQ(image.pixel(100, 60), qRgb(30, 30, 30));
    EXPECT_TRUE(anyPixel(image, QRect(5, 28, 200, 101), light));
    EXPECT_TRUE(anyPixel(image, topLabelArea, light));
    EXPECT_FALSE(anyPixel(image, band.toRect(), [](QRgb p) { return p == qRgb(0, 0, 0); }));
}

TEST(TextLayout, CentredButKeptInsideTheFrame)
{
    EXPECT_DOUBLE_EQ(RVUIUtil::textLeft(20, 100, 300), 90);
    EXPECT_DOUBLE_EQ(RVUIUtil::textLeft(30, 10, 300), 0);    // wider than 20: starts at 0
    EXPECT_DOUBLE_EQ(RVUIUtil::textLeft(20, 295, 300), 280); // pushed back from the right
    EXPECT_DOUBLE_EQ(RVUIUtil::textLeft(400, 150, 300), 0);  // wider than the frame
}
