#pragma once

#include <QPointF>
#include <QRectF>

#include <vector>

// The geometry of the time slider, as pure functions of its size and data so that it can be
// checked without drawing.
//
// Coordinates: Qt's, origin at the top left, y growing down, in the widget's logical pixels.
// The slider was designed bottom-up (origin bottom left); a designed height y_up maps to
// y = H - y_up. From the top down, the slider of width W and height H holds:
//   y 0..25        the time axis (a 5-pixel line centred on y = 7), ticks from y = 5 to 12,
//                  minute:second labels with their bottom at y = 22; this is the hover zone;
//   y 25..H-5      the graph bands, the first enabled graph of the fixed order at the bottom;
//   x 5..W-5       the span of the time axis and of every curve (w = W - 10 wide).
class RVSliderLayoutUtil final
{
public:
    RVSliderLayoutUtil() = delete;

    static constexpr double margin = 5;             // left and right margin, px
    static constexpr double popoverZoneHeight = 25; // top strip that shows thumbnails, px
    static constexpr double axisY = 7;              // centre of the time axis line
    static constexpr double tickTop = 5;            // tick strokes, y from..to
    static constexpr double tickBottom = 12;
    static constexpr double tickLabelBottom = 22; // bottom of the tick labels' line box
    static constexpr double playMarkTop = 2.5;    // play position mark across the axis
    static constexpr double playMarkBottom = 12;

    // Seconds between two ticks on an axis `axisWidth` (W - 10) pixels wide spanning
    // `durationSeconds`: the seconds per 50 pixels (single precision) rounded up to 5, 10,
    // 30, 60 or 120 s in the middle ranges, used as they are from 180 s, and 1 s below 1 s:
    // the labels show whole seconds and must differ. Fewer than 50 pixels give infinity.
    static double tickInterval(double axisWidth, float durationSeconds);

    // The times of the ticks: every interval from 0, then the end of the trip; the last
    // regular tick is dropped when it lies within half an interval of the end or shares the
    // end's whole-second label. The end is
    // always labelled, also when it falls on a whole number of intervals. Nothing for a
    // duration that is not a positive number.
    static std::vector<double> tickTimes(float durationSeconds, double interval);

    // x of a trip time on the axis.
    static double timeX(double seconds, float durationSeconds, double axisWidth);

    // The smallest band a graph is drawn in: its two scale labels, its title and a curve
    // between them that can still be read, px.
    static constexpr double minimumBandHeight = 30;
    // How many of `count` enabled graphs fit into a slider of `size` at the minimum band
    // height or more (0 to count).
    static int fittingBandCount(QSizeF size, int count);

    // The graph bands for `count` enabled graphs in a slider of `size`, lowest band first;
    // each spans the full width. Empty when no graph is enabled or the bands would have no
    // height.
    static std::vector<QRectF> bandRects(QSizeF size, int count);

    // Whether a point lies in the hover zone over the time axis (the top 25 pixels).
    static bool insidePopoverZone(QPointF point) { return point.y() < popoverZoneHeight; }

    // The fraction of the duration under x; clicks in the margins give values just outside
    // 0..1. No value (false) when the slider is too narrow to have an axis.
    static bool fractionAt(double x, double sliderWidth, double* fraction);
};
