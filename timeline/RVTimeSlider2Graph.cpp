// Drawing of one graph band of the time slider.
#include "timeline/RVTimeSlider2.h"

#include "timeline/RVUIUtil.h"

#include <QPainter>

#include <cmath>

namespace {

constexpr double zeroTolerance = 9.999999747378752e-06; // 1e-5 in single precision
constexpr double smallestRange = 1e-6;
constexpr double largestLabelled = 1e7;
constexpr double sideMargin = 5;   // px left and right of the curve
constexpr double belowCurve = 2;   // px between the band's bottom and the curve's lowest value
constexpr double plotInset = 10;   // below + 8 px above the curve's highest value
constexpr double labelOffset = 10; // the top label's bottom edge, px below the band's top
constexpr int textSize = 8;
const QColor referenceColour(170, 170, 170);

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
void drawColumns(QPainter& painter, const RVGraphEnvelope& data, double left, const YOf& yOf)
{
    const std::vector<RVGraphEnvelope::Column>& columns = data.columns();
    std::vector<QPointF> outline;
    outline.reserve(2 * columns.size());
    painter.setBrush(Qt::black);
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

} // namespace

void RVTimeSlider2::drawGraph(QPainter& painter, const RVGraphEnvelope& data, const QRectF& frame,
                              const QString& title, double middleLine, double axisWidth)
{
    if (!data.isDrawable())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(frame, Qt::white);

    double minimum = data.minimum();
    double maximum = data.maximum();
    // A middle line of zero centres zero in the band: the G-sensor axes swing both ways.
    if (std::abs(middleLine) < zeroTolerance) {
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

    if (minimum < middleLine && middleLine < maximum) {
        painter.setPen(QPen(referenceColour, 1, Qt::SolidLine, Qt::FlatCap));
        const double y = yOf(middleLine);
        painter.drawLine(QPointF(left, y), QPointF(frame.right() - sideMargin, y));
    }

    painter.setPen(QPen(QColor(Qt::black), 1, Qt::SolidLine, Qt::FlatCap));
    if (data.mode() == RVGraphEnvelope::Mode::Samples)
        drawSamples(painter, data, left, yOf);
    else
        drawColumns(painter, data, left, yOf);

    if (maximum > 0 && maximum < largestLabelled) {
        RVUIUtil::writeText(painter, QString::asprintf("%.2f", maximum), textSize, 10,
                            frame.top() + labelOffset, frame);
        if (std::abs(minimum) > zeroTolerance && std::abs(middleLine) > zeroTolerance)
            RVUIUtil::writeText(painter, QString::asprintf("%.2f", minimum), textSize, 10,
                                frame.bottom(), frame);
    }
    RVUIUtil::writeText(painter, title, textSize, axisWidth * 0.5 + sideMargin,
                        frame.top() + labelOffset, frame, QColor(Qt::blue));
    painter.restore();
}
