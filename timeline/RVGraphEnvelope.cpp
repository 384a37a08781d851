#include "timeline/RVGraphEnvelope.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

RVGraphEnvelope::RVGraphEnvelope(std::size_t count, double plotWidth)
    : m_count(count), m_plotWidth(std::isfinite(plotWidth) ? plotWidth : 0)
{
    if (m_count < 2)
        return;
    if (double(m_count - 1) <= m_plotWidth) {
        m_mode = Mode::Samples;
        m_samples.reserve(m_count);
        return;
    }
    m_mode = Mode::Columns;
    // One column per whole pixel, both ends included; a plot narrower than a pixel has one.
    const double columns = m_plotWidth >= 1 ? std::round(m_plotWidth) + 1 : 1;
    // Empty columns start inverted, so that the first value sets both ends.
    m_columns.assign(std::size_t(columns), Column{std::numeric_limits<double>::infinity(),
                                                  -std::numeric_limits<double>::infinity(), false});
    m_nextColumnStart = columnStart(1);
}

std::size_t RVGraphEnvelope::columnStart(std::size_t column) const
{
    // The first i with round(i * last / (N - 1)) >= column, that is
    // i * last >= (column - 1/2) * (N - 1): i = ceil((2 column - 1)(N - 1) / (2 last)).
    const std::size_t last = m_columns.size() - 1;
    if (column == 0)
        return 0;
    if (column > last)
        return SIZE_MAX;
    const std::size_t numerator = (2 * column - 1) * (m_count - 1);
    return (numerator + 2 * last - 1) / (2 * last);
}

double RVGraphEnvelope::columnX(std::size_t column) const
{
    if (m_columns.size() < 2)
        return 0;
    return double(column) * m_plotWidth / double(m_columns.size() - 1);
}

double RVGraphEnvelope::sampleX(std::size_t index) const
{
    return m_count < 2 ? 0 : double(index) * m_plotWidth / double(m_count - 1);
}

void RVGraphEnvelope::extendRange(double value)
{
    // min and max rather than comparisons and jumps: noisy sensor data makes every branch a
    // coin toss, and these loops run over a million samples after each resize.
    m_maximum = std::max(m_maximum, value);
    m_minimum = std::min(m_minimum, value);
}

void RVGraphEnvelope::addSample(double value)
{
    if (m_added >= m_count)
        return;
    m_samples.push_back(value);
    if (std::isfinite(value))
        extendRange(value);
}

void RVGraphEnvelope::addToColumn(double value)
{
    if (m_added >= m_count || !std::isfinite(value))
        return;
    extendRange(value);
    // Sample i belongs to the nearest column, round(i * (C - 1) / (N - 1)). The columns only
    // grow with i, so the start of the next column is computed once per column instead of a
    // division per sample.
    while (m_added >= m_nextColumnStart) {
        ++m_column;
        m_nextColumnStart = columnStart(m_column + 1);
    }
    const std::size_t c = m_column;
    Column& column = m_columns[c];
    column.low = std::min(column.low, value);
    column.high = std::max(column.high, value);
    column.valid = true;
}
