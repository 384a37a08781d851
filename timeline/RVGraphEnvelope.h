#pragma once

#include <cstddef>
#include <vector>

// One data series reduced to what a graph band can show, built once per series and band
// width (not on every repaint; the slider repaints ten times a second while a trip plays).
//
// The samples are spread evenly over the plot width by index, whatever their time stamps:
// sample i of N lies at x = i * plotWidth / (N - 1) from the plot's left edge.
// - When the plot has at least one pixel per segment (N - 1 <= plotWidth) every sample is
//   kept and the curve runs through all of them.
// - Otherwise the samples are folded into pixel columns: each column keeps the lowest and the
//   highest value that fall into it, and the graph is drawn as the area between the columns'
//   highs and lows, so it still reaches every peak. A two-second hard brake in a day of 10 Hz data
//   is one column among a thousand and stays visible; taking every k-th sample instead would miss
//   it.
// Values that are not finite (unknown altitudes are NaN) are left out; a column without any
// finite value is a gap in the curve.
//
// Values are in display units: the caller converts (km/h to knots, metres to feet) before
// adding them.
class RVGraphEnvelope final
{
public:
    enum class Mode
    {
        Samples, // every sample kept
        Columns, // lowest and highest per pixel column
    };
    struct Column
    {
        double low = 0;
        double high = 0;
        bool valid = false; // at least one finite value fell into the column
    };

    // An empty envelope: nothing to draw.
    RVGraphEnvelope() = default;
    // Prepares for `count` samples over a plot `plotWidth` pixels wide; then call add() once
    // per sample, in index order.
    RVGraphEnvelope(std::size_t count, double plotWidth);

    void add(double value)
    {
        if (m_mode == Mode::Samples)
            addSample(value);
        else
            addToColumn(value);
        ++m_added;
    }

    // Fewer than two samples make no curve.
    bool isDrawable() const { return m_count >= 2; }
    std::size_t count() const { return m_count; }
    Mode mode() const { return m_mode; }
    double plotWidth() const { return m_plotWidth; }

    // The range of the finite values, starting from a minimum of 1e20 and a maximum of -1:
    // a series entirely below -1 keeps the maximum at -1, one with no finite value keeps both.
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }

    // Mode::Samples: every sample (non-finite ones included, drawn as gaps).
    const std::vector<double>& samples() const { return m_samples; }
    // Mode::Columns: the columns, the first at the plot's left edge, the last at its right.
    const std::vector<Column>& columns() const { return m_columns; }
    // x of column c from the plot's left edge.
    double columnX(std::size_t column) const;
    // x of sample i from the plot's left edge (Mode::Samples).
    double sampleX(std::size_t index) const;

private:
    void addSample(double value);
    void addToColumn(double value);
    void extendRange(double value);
    std::size_t columnStart(std::size_t column) const;

    std::size_t m_count = 0;
    std::size_t m_added = 0;
    double m_plotWidth = 0;
    Mode m_mode = Mode::Samples;
    double m_minimum = 1e20;
    double m_maximum = -1;
    std::vector<double> m_samples;
    std::vector<Column> m_columns;
    // Columns mode: the column of the current sample and the first sample of the next one.
    std::size_t m_column = 0;
    std::size_t m_nextColumnStart = 0;
};
