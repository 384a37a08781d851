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
    double range = maximum - minimum;
    if (range - smallestRange < 0)
        range = 1;
    const double plotHeight = frame.height() - plotInset;
    const double base = frame.bottom() - belowCurve;
    const auto yOf = [&](double value) { return base - (value - minimum) / range * plotHeight; };
    const double left = frame.left() + sideMargin;

    if (minimum < middleLine && middleLine < maximum) {
        painter.setPen(QPen(referenceColour, 1, Qt::SolidLine, Qt::FlatCap));
        const double y = yOf(middleLine);
        painter.drawLine(QPointF(left, y), QPointF(frame.right() - sideMargin, y));
    }

    painter.setPen(QPen(QColor(Qt::black), 1, Qt::SolidLine, Qt::FlatCap));
    std::vector<QPointF> run;
    if (data.mode() == RVGraphEnvelope::Mode::Samples) {
        const std::vector<double>& samples = data.samples();
        run.reserve(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            if (!std::isfinite(samples[i])) {
                flush(painter, run);
                continue;
            }
            run.emplace_back(left + data.sampleX(i), yOf(samples[i]));
        }
    } else {
        const std::vector<RVGraphEnvelope::Column>& columns = data.columns();
        run.reserve(2 * columns.size());
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const RVGraphEnvelope::Column& column = columns[c];
            if (!column.valid) {
                flush(painter, run);
                continue;
            }
            // Low and high in the order they were recorded, so the line from the previous
            // column arrives at the value that came first.
            const double x = left + data.columnX(c);
            const bool lowFirst = column.lowIndex <= column.highIndex;
            run.emplace_back(x, yOf(lowFirst ? column.low : column.high));
            run.emplace_back(x, yOf(lowFirst ? column.high : column.low));
        }
    }
    flush(painter, run);

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
