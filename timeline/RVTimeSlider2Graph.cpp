// Drawing of one graph band of the time slider.
#include "timeline/RVTimeSlider2.h"

#include "timeline/RVGraphScale.h"
#include "timeline/RVUIUtil.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPalette>

#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace {

constexpr double zeroTolerance = 9.999999747378752e-06; // 1e-5 in single precision
constexpr double smallestRange = 1e-6;
constexpr double sideMargin = 5;   // px left and right of the curve
constexpr double belowCurve = 2;   // px between the band's bottom and the curve's lowest value
constexpr double plotInset = 12;   // below + 10 px: the top line's text stays above the curve
constexpr double labelOffset = 10; // the top label's bottom edge, px below the band's top
constexpr int textSize = 8;
constexpr double labelGap = 6; // px between the top scale label and the title

// Draws the collected points as one polyline and starts a new run; runs break at gaps. A lone
// value between two gaps still shows, as a dot.
void flush(QPainter& painter, std::vector<QPointF>& run)
{
    if (run.size() >= 2)
        painter.drawPolyline(run.data(), int(run.size()));
    else if (run.size() == 1)
        painter.drawPoint(run.front());
    run.clear();
}

// The curve through every sample, broken where a value is unknown.
template <typename YOf>
void drawSamples(QPainter& painter, const RVGraphEnvelope& data, double left, const YOf& yOf)
{
    const std::vector<double>& samples = data.samples();
    std::vector<QPointF> run;
    run.reserve(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (!std::isfinite(samples[i])) {
            flush(painter, run);
            continue;
        }
        run.emplace_back(left + data.sampleX(i), yOf(samples[i]));
    }
    flush(painter, run);
}

// Folded samples: the area between the columns' highs and lows, outline included so that a
// column whose high equals its low still shows. Filling spans row by row costs a fraction of
// drawing every column as a vertical stroke, which matters for noisy acceleration data where
// each column spans most of the band.
template <typename YOf>
void drawColumns(QPainter& painter, const RVGraphEnvelope& data, double left, const YOf& yOf,
                 const QColor& colour)
{
    const std::vector<RVGraphEnvelope::Column>& columns = data.columns();
    std::vector<QPointF> outline;
    outline.reserve(2 * columns.size());
    painter.setBrush(colour);
    std::size_t first = 0;
    while (first < columns.size()) {
        if (!columns[first].valid) {
            ++first;
            continue;
        }
        std::size_t end = first;
        while (end < columns.size() && columns[end].valid)
            ++end;
        // Highs left to right, then lows right to left.
        outline.clear();
        for (std::size_t c = first; c < end; ++c)
            outline.emplace_back(left + data.columnX(c), yOf(columns[c].high));
        for (std::size_t c = end; c-- > first;)
            outline.emplace_back(left + data.columnX(c), yOf(columns[c].low));
        painter.drawPolygon(outline.data(), int(outline.size()));
        first = end;
    }
    painter.setBrush(Qt::NoBrush);
}

// The lowest and highest value the curve takes over x0..x1 (from the plot's left edge),
// segments running through the span included; none where the curve does not pass.
std::optional<std::pair<double, double>> valuesWithin(const RVGraphEnvelope& data, double x0,
                                                      double x1)
{
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    const auto take = [&](double value) {
        if (std::isfinite(value)) {
            low = std::min(low, value);
            high = std::max(high, value);
        }
    };
    if (data.mode() == RVGraphEnvelope::Mode::Samples) {
        const std::vector<double>& samples = data.samples();
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const double x = data.sampleX(i);
            const double next = i + 1 < samples.size() ? data.sampleX(i + 1) : x;
            const double previous = i > 0 ? data.sampleX(i - 1) : x;
            if (next >= x0 && previous <= x1)
                take(samples[i]);
        }
    } else {
        const std::vector<RVGraphEnvelope::Column>& columns = data.columns();
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const double x = data.columnX(c);
            if (columns[c].valid && x >= x0 - 1 && x <= x1 + 1) {
                take(columns[c].low);
                take(columns[c].high);
            }
        }
    }
    if (low > high)
        return std::nullopt;
    return std::pair{low, high};
}

} // namespace

QRectF RVTimeSlider2::drawGraph(QPainter& painter, const RVGraphEnvelope& data, const QRectF& frame,
                                const QString& title, double middleLine, double axisWidth,
                                const QPalette& palette)
{
    // The band is an entry field's surface: white with black text in a light palette, dark
    // with light text in a dark one.
    const QColor text = palette.color(QPalette::Text);
    const QColor titleColour = palette.color(QPalette::Link);
    const QColor reference = RVUIUtil::blend(text, palette.color(QPalette::Base), 1.0 / 3);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(frame, palette.color(QPalette::Base));
    if (!data.isDrawable()) {
        // A recording without this series: the band says so rather than look unfinished.
        RVUIUtil::writeText(painter, title, textSize, axisWidth * 0.5 + sideMargin,
                            frame.top() + labelOffset, frame, titleColour);
        //% "No data"
        RVUIUtil::writeText(
            painter, qtTrId("GRAPH_NO_DATA"), textSize, axisWidth * 0.5 + sideMargin,
            frame.center().y() + RVUIUtil::lineHeight(painter, textSize) / 2, frame, reference);
        painter.restore();
        return {};
    }

    // A middle line of zero centres zero in the band: the G-sensor axes swing both ways.
    const bool symmetric = std::abs(middleLine) < zeroTolerance;
    const RVGraphScale scale = RVGraphScale::of(data.minimum(), data.maximum(), symmetric);
    double minimum = scale.low;
    double maximum = scale.high;
    if (symmetric && scale.step == 0) {
        const double extent = std::max(std::abs(minimum), std::abs(maximum));
        minimum = -extent;
        maximum = extent;
    }
    const double range = maximum - minimum;
    // Scaled in halves: identical results for ordinary values, and no overflow to infinity
    // (then NaN coordinates) for a series spanning more than the largest double, such as a
    // corrupt file's -1e308 .. 1e308.
    const double halfMinimum = minimum * 0.5;
    const double halfRange = range - smallestRange < 0 ? 0.5 : maximum * 0.5 - halfMinimum;
    const double plotHeight = frame.height() - plotInset;
    const double base = frame.bottom() - belowCurve;
    const auto yOf = [&](double value) {
        return base - (value * 0.5 - halfMinimum) / halfRange * plotHeight;
    };
    const double left = frame.left() + sideMargin;
    const double lineHeight = RVUIUtil::lineHeight(painter, textSize);
    const bool labelled = scale.step > 0;

    const bool middleShown = minimum < middleLine && middleLine < maximum;
    if (middleShown) {
        painter.setPen(QPen(reference, 1, Qt::SolidLine, Qt::FlatCap));
        const double y = yOf(middleLine);
        painter.drawLine(QPointF(left, y), QPointF(frame.right() - sideMargin, y));
    }

    painter.setPen(QPen(text, 1, Qt::SolidLine, Qt::FlatCap));
    if (data.mode() == RVGraphEnvelope::Mode::Samples)
        drawSamples(painter, data, left, yOf);
    else
        drawColumns(painter, data, left, yOf, text);

    // A mark's label sitting on the line at bottomY, at the band's left end or else its right
    // end, wherever the curve leaves it room: a label never covers the curve.
    const auto labelClear = [&](const QString& label, double bottomY) {
        const double width = RVUIUtil::textWidth(painter, label, textSize);
        for (const double centre : {10.0, frame.width() - 10.0}) {
            const double x0 = RVUIUtil::textLeft(width, centre, frame.width());
            const auto values =
                valuesWithin(data, x0 - sideMargin - 1, x0 + width - sideMargin + 1);
            const bool clear = !values || yOf(values->second) > bottomY + 1 ||
                               yOf(values->first) < bottomY - lineHeight - 1;
            if (clear) {
                RVUIUtil::writeText(painter, label, textSize, centre, bottomY, frame, text);
                return x0 + width;
            }
        }
        return 0.0;
    };

    // The top mark shares the band's first line with the title, above the curve's highest
    // point; the bottom mark and the middle line's own label show where the band has room
    // for them apart from the top line.
    double topLabelRight = 0;
    QRectF topLabel;
    if (labelled) {
        const QString top = scale.label(maximum);
        const double width = RVUIUtil::textWidth(painter, top, textSize);
        RVUIUtil::writeText(painter, top, textSize, 10, frame.top() + labelOffset, frame, text);
        topLabelRight = RVUIUtil::textLeft(width, 10, frame.width()) + width;
        topLabel = QRectF(topLabelRight - width, frame.top() + labelOffset - lineHeight, width,
                          lineHeight);
        if (frame.height() >= 2 * lineHeight)
            labelClear(scale.label(minimum), frame.bottom());
        if (middleShown && frame.height() >= 3 * lineHeight) {
            const double y = yOf(middleLine);
            if (y - lineHeight > frame.top() + labelOffset && y < frame.bottom() - lineHeight)
                labelClear(scale.label(middleLine), y);
        }
    }
    // The title stays centred over the axis unless that would run into the scale label; it
    // then starts after the label and is shortened to what is left of the band.
    const double first = topLabelRight > 0 ? topLabelRight + labelGap : 0;
    const double room = frame.width() - first;
    QString shown = title;
    double titleWidth = RVUIUtil::textWidth(painter, shown, textSize);
    if (titleWidth > room) {
        shown = RVUIUtil::elided(painter, title, textSize, room);
        titleWidth = RVUIUtil::textWidth(painter, shown, textSize);
    }
    double titleLeft = RVUIUtil::textLeft(titleWidth, axisWidth * 0.5 + sideMargin, frame.width());
    titleLeft = std::max(titleLeft, first);
    if (!shown.isEmpty() && titleWidth <= room)
        RVUIUtil::writeText(painter, shown, textSize, titleLeft + titleWidth / 2,
                            frame.top() + labelOffset, frame, titleColour);
    painter.restore();
    return topLabel;
}
