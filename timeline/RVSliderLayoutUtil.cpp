#include "timeline/RVSliderLayoutUtil.h"

#include <QSizeF>

#include <cmath>
#include <limits>

double RVSliderLayoutUtil::tickInterval(double axisWidth, float durationSeconds)
{
    // One label per 50 pixels at most. The count is the truncated width divided by 50 in
    // integers; the seconds per label are computed in single precision.
    const double truncated = std::isfinite(axisWidth) ? std::trunc(axisWidth) : 0.0;
    const long long labels = truncated > 0 && truncated < 1e15 ? (long long)(truncated) / 50 : 0;
    const float s =
        labels == 0 ? std::numeric_limits<float>::infinity() : durationSeconds / float(labels);
    // The labels show whole seconds: a shorter interval would repeat them ("0:00 0:00 0:01").
    if (s < 1.0f)
        return 1;
    if (s < 5.0f)
        return 5;
    if (s < 10.0f)
        return 10;
    if (s < 50.0f)
        return 30;
    if (s < 90.0f)
        return 60;
    if (s < 180.0f)
        return 120;
    return double(s);
}

namespace {
// More labels than the widest widget can hold (16,777,215 px / 50 px per label).
constexpr std::size_t maxTicks = 400000;
} // namespace

std::vector<double> RVSliderLayoutUtil::tickTimes(float durationSeconds, double interval)
{
    std::vector<double> ticks;
    const double d = double(durationSeconds);
    // A duration that is not a positive finite number has no axis to divide; an interval that
    // is not positive would never reach the end.
    if (!(d > 0) || !std::isfinite(d) || !(interval > 0))
        return ticks;
    double t = 0;
    double next = 0;
    do {
        next = t + interval;
        if (next > d) {
            // The end keeps the last regular tick only when their whole-second labels differ.
            if (d - t > interval / 2 && std::trunc(d) != std::trunc(t))
                ticks.push_back(t);
            ticks.push_back(d);
        } else {
            ticks.push_back(t);
        }
        // An interval far too small for the duration (no slider is that wide) would loop
        // for ages or, once t stops growing, for ever: end the axis there.
        if (next <= t || ticks.size() >= maxTicks) {
            if (ticks.back() != d)
                ticks.push_back(d);
            break;
        }
        t = next;
    } while (d > next);
    // When the duration is a whole number of intervals the loop stops one step short of the
    // end; the end of the trip is labelled in every other case, so label it here too.
    if (next == d && ticks.back() != d)
        ticks.push_back(d);
    return ticks;
}

double RVSliderLayoutUtil::timeX(double seconds, float durationSeconds, double axisWidth)
{
    return seconds / double(durationSeconds) * axisWidth + margin;
}

int RVSliderLayoutUtil::fittingBandCount(QSizeF size, int count)
{
    if (count <= 0)
        return 0;
    // k bands of height b with 5 px between them fill h - 15: k = (h - 15 + 5) / (b + 5).
    const double room = size.height() - 10 - 15 + 5;
    const double fitting = std::floor(room / (minimumBandHeight + 5));
    if (!(fitting > 0))
        return 0;
    return fitting >= count ? count : int(fitting);
}

std::vector<QRectF> RVSliderLayoutUtil::bandRects(QSizeF size, int count)
{
    std::vector<QRectF> bands;
    if (count <= 0)
        return bands;
    const double h = size.height() - 10;
    // The bands share y = 5 .. h - 15 (designed bottom-up) with 5 pixels between them.
    const double b = (h - 15) / count - 5;
    if (!(b > 0))
        return bands;
    bands.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const double bottomUp = 5 + i * (b + 5); // designed y of the band's lower edge
        bands.emplace_back(0.0, size.height() - bottomUp - b, size.width(), b);
    }
    return bands;
}

bool RVSliderLayoutUtil::fractionAt(double x, double sliderWidth, double* fraction)
{
    const double axisWidth = sliderWidth - 2 * margin;
    if (!(axisWidth > 0))
        return false;
    *fraction = (x - margin) / axisWidth;
    return true;
}
